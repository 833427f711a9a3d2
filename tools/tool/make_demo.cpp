// make-demo: the demo game data, generated from code into a folder the game runs in.
#include <cstdio>
#include <string>

#include "tools/demo/make_demo.h"
#include "tools/tool/commands.h"

int run_make_demo(const std::vector<std::string>& args) {
    bool draft = false, force = false;
    std::vector<std::string> folders;
    for (const std::string& a : args) {
        if (a == "--draft")
            draft = true;
        else if (a == "--force")
            force = true;
        else
            folders.push_back(a);
    }
    if (folders.size() != 1 || folders[0].starts_with("--")) {
        std::fputs("usage: vantor-tool make-demo [--draft] [--force] OUTDIR\n", stderr);
        return 2;
    }
    const std::string& dir = folders[0];
    // Checked before the long generation: a wrong folder is refused at once.
    if (!force && !demo_folder_is_ours(dir)) {
        std::fprintf(stderr,
                     "vantor-tool: make-demo: %s is not empty and was not made by make-demo; "
                     "nothing was changed. Choose a new or empty folder, or pass --force to "
                     "replace the demo's files in it.\n",
                     dir.c_str());
        return 2;
    }
    DemoOptions options;
    if (draft) {
        // The same data with cheaper pictures (one sample a pixel, hard shadows, no ambient
        // occlusion), for tests that play the demo.
        options.quality.aa = 1;
        options.quality.shadow_rays = 1;
        options.quality.ao_rays = 0;
    }
    DemoOutput out;
    std::string error;
    if (!generate_demo(options, out, error) || !write_demo(out, dir, error)) {
        std::fprintf(stderr, "vantor-tool: make-demo: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
