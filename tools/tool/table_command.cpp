// table: a line of a text table as the game finds it.
#include "resources/text_table.h"
#include "tools/tool/commands.h"
#include "tools/tool/resource_output.h"

int run_table_command(const std::vector<std::string>& args) {
    int n = 0;
    if (args.size() != 2 || !parse_int(args[1], n)) return usage("table FILE N");
    std::vector<char16_t> units;
    if (!read_text_table(args[0], units)) return fail(args[0] + " not found");
    const auto text = find_table_line(units, n);
    if (!text) return fail("no line " + args[1] + " in " + args[0]);
    Json j = Json::object();
    j["line"] = n;
    j["text"] = utf16_to_utf8(*text);
    j["length"] = static_cast<uint64_t>(text->size());
    print_json(j);
    return 0;
}
