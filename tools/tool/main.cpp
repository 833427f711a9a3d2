// vantor-tool: inspect, convert and pack the game's files, and build the demo content.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tools/tool/commands.h"

namespace {

const char* k_usage =
    "usage: vantor-tool COMMAND ...\n"
    "  config show FILE                 the settings file as JSON\n"
    "  config set FILE FIELD=VALUE ...  change settings (the file is created when missing)\n"
    "  make-demo OUTDIR                 build the demo game data into OUTDIR\n";

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        std::fputs(k_usage, stderr);
        return 2;
    }
    const std::string command = args[0];
    args.erase(args.begin());
    if (command == "config") return run_config_command(args);
    if (command == "make-demo") return run_make_demo(args);
    std::fprintf(stderr, "vantor-tool: unknown command %s\n%s", command.c_str(), k_usage);
    return 2;
}
