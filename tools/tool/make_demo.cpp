// make-demo: the demo game data, generated from code into a folder the game runs in.
#include <cstdio>
#include <string>

#include "tools/demo/make_demo.h"
#include "tools/tool/commands.h"

int run_make_demo(const std::vector<std::string>& args) {
    if (args.size() != 1) {
        std::fputs("usage: vantor-tool make-demo OUTDIR\n", stderr);
        return 2;
    }
    DemoOutput out;
    std::string error;
    if (!generate_demo(DemoOptions{}, out, error) || !write_demo(out, args[0], error)) {
        std::fprintf(stderr, "vantor-tool: make-demo: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
