// make-demo: the demo game data, generated from code into a folder the game runs in.
#include <cstdio>
#include <string>

#include "tools/demo/make_demo.h"
#include "tools/tool/commands.h"

int run_make_demo(const std::vector<std::string>& args) {
    const bool draft = args.size() == 2 && args[0] == "--draft";
    if (args.size() != 1 && !draft) {
        std::fputs("usage: vantor-tool make-demo [--draft] OUTDIR\n", stderr);
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
    if (!generate_demo(options, out, error) || !write_demo(out, args.back(), error)) {
        std::fprintf(stderr, "vantor-tool: make-demo: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
