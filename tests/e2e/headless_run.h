// Running vantor-headless from a test: one script in one game folder, as a separate process (as a
// player starts the programs one after another), with what it printed and its exit code.
#pragma once

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <string>

struct RunResult {
    int exit_code = -1;
    std::string output;
};

// A script of tests/e2e, or one given by absolute path.
inline RunResult run_headless(const std::filesystem::path& dir, const std::string& script,
                              const std::string& options = "") {
    const std::string path =
        script.starts_with("/") ? script : std::string(VANTOR_SOURCE_DIR) + "/tests/e2e/" + script;
    const std::string command = std::string(VANTOR_BINARY_DIR) + "/vantor-headless --data '" +
                                dir.string() + "' " + options + " '" + path + "' 2>&1";
    RunResult r;
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(dir);
    FILE* p = popen(command.c_str(), "r");
    if (p) {
        std::array<char, 4096> buf;
        size_t n;
        while ((n = fread(buf.data(), 1, buf.size(), p)) > 0) r.output.append(buf.data(), n);
        const int status = pclose(p);
        r.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::filesystem::current_path(previous);
    return r;
}
