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
    "  make-demo [--draft] [--force] OUTDIR\n"
    "                                   build the demo game data into OUTDIR (--draft: cheaper\n"
    "                                   pictures; --force: into a folder it did not make)\n"
    "  res list ARCHIVE                 the entries of an archive\n"
    "  res pack ARCHIVE DIR             pack every file below DIR into ARCHIVE\n"
    "  cat PATH                         an asset's bytes as the game opens it\n"
    "  picture PATH [--bpp 32|16|15] --raw OUT | --png OUT\n"
    "                                   a bitmap or TIFF as loaded into a display surface\n"
    "  scene-desc FILE [--seed N]       what a scene description sets\n"
    "  scene NNN [--bpp B] [--png-prefix P]\n"
    "                                   load a whole scene background from this folder\n"
    "  zbf FILE --raw OUT               the decoded 16-bit depth picture\n"
    "  msk FILE --raw OUT               the decoded float depth picture\n"
    "  model FILE [--normal-scale S] [--software]\n"
    "                                   an animated model as loaded\n"
    "  table FILE N                     line N of a text table\n"
    "  save FILE [--thumbnail OUT.png]  a saved game as JSON (and its thumbnail as PNG)\n"
    "  save FILE --set FIELD=VALUE ...  change a save's story words (save --help lists them)\n"
    "  film PATH [--frame N --png OUT [--bpp 32|16|15]]\n"
    "                                   a film as the game decodes it, and one of its frames\n";

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
    if (command == "res") return run_res_command(args);
    if (command == "cat") return run_cat_command(args);
    if (command == "picture") return run_picture_command(args);
    if (command == "scene-desc") return run_scene_desc_command(args);
    if (command == "scene") return run_scene_command(args);
    if (command == "zbf") return run_zbf_command(args);
    if (command == "msk") return run_msk_command(args);
    if (command == "model") return run_model_command(args);
    if (command == "table") return run_table_command(args);
    if (command == "save") return run_save_command(args);
    if (command == "film") return run_film_command(args);
    std::fprintf(stderr, "vantor-tool: unknown command %s\n%s", command.c_str(), k_usage);
    return 2;
}
