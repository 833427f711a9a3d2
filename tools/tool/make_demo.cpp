// make-demo: the demo game data, generated from code. This first part lays out the folder the
// game runs in: the save folder and the interface font.
#include <cstdio>
#include <filesystem>

#include "tools/tool/commands.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* k_font_source = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

} // namespace

int run_make_demo(const std::vector<std::string>& args) {
    if (args.size() != 1) {
        std::fputs("usage: vantor-tool make-demo OUTDIR\n", stderr);
        return 2;
    }
    const fs::path out = args[0];
    std::error_code ec;
    fs::create_directories(out / "saves", ec);
    if (ec) {
        std::fprintf(stderr, "vantor-tool: cannot create %s: %s\n", out.c_str(),
                     ec.message().c_str());
        return 1;
    }
    fs::copy_file(k_font_source, out / "tovi.ttf", fs::copy_options::overwrite_existing, ec);
    if (ec) {
        std::fprintf(stderr, "vantor-tool: cannot copy the font %s: %s\n", k_font_source,
                     ec.message().c_str());
        return 1;
    }
    return 0;
}
