// config show / config set: the settings file through the game's own reader and writer.
#include <charconv>
#include <cstdio>
#include <vector>

#include "app/config.h"
#include "platform/files.h"
#include "tools/common/json.h"
#include "tools/tool/commands.h"

namespace {

// The settings are 68 bytes; a file far larger is not a settings file and is not read.
constexpr size_t k_config_file_max = 1u << 16;

int show(const std::string& path) {
    std::vector<uint8_t> bytes;
    if (!file_read_all(path, k_config_file_max, bytes)) {
        std::fprintf(stderr, "vantor-tool: cannot read %s\n", path.c_str());
        return 1;
    }
    GameConfig config;
    const int32_t clean_exit = decode_config(bytes.data(), bytes.size(), config);
    Json j = Json::object();
    for (const ConfigField& f : k_config_fields) j[f.name] = config.*f.member;
    j["clean_exit"] = clean_exit;
    j["size"] = static_cast<uint64_t>(bytes.size());
    std::printf("%s\n", j.dump().c_str());
    return 0;
}

int set(const std::string& path, const std::vector<std::string>& assignments) {
    std::vector<uint8_t> bytes;
    GameConfig config;
    int32_t clean_exit = 0;
    if (file_read_all(path, k_config_file_max, bytes))
        clean_exit = decode_config(bytes.data(), bytes.size(), config);
    for (const std::string& a : assignments) {
        const size_t eq = a.find('=');
        const std::string name = a.substr(0, eq);
        int32_t value = 0;
        const char* begin = eq == std::string::npos ? nullptr : a.c_str() + eq + 1;
        const char* end = a.c_str() + a.size();
        if (!begin || std::from_chars(begin, end, value).ptr != end) {
            std::fprintf(stderr, "vantor-tool: expected FIELD=NUMBER, got %s\n", a.c_str());
            return 2;
        }
        bool found = name == "clean_exit";
        if (found) clean_exit = value;
        for (const ConfigField& f : k_config_fields)
            if (name == f.name) config.*f.member = value, found = true;
        if (!found) {
            std::fprintf(stderr, "vantor-tool: no setting %s\n", name.c_str());
            return 2;
        }
    }
    const auto encoded = encode_config(config, clean_exit);
    if (!file_write_atomic(path, encoded)) {
        std::fprintf(stderr, "vantor-tool: cannot write %s\n", path.c_str());
        return 1;
    }
    return 0;
}

} // namespace

int run_config_command(const std::vector<std::string>& args) {
    if (args.size() == 2 && args[0] == "show") return show(args[1]);
    if (args.size() >= 3 && args[0] == "set")
        return set(args[1], std::vector<std::string>(args.begin() + 2, args.end()));
    std::fputs("usage: vantor-tool config show FILE | config set FILE FIELD=VALUE ...\n", stderr);
    return 2;
}
