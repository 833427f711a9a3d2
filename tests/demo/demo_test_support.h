// Shared by the demo data tests: a scratch working directory to write generated data into (the
// game's loaders resolve every path against the working directory).
#pragma once

#include <filesystem>
#include <string>

#include <unistd.h>

class ScratchWorkDir {
public:
    ScratchWorkDir() {
        char pattern[] = "/tmp/vantor_demo_XXXXXX";
        path_ = mkdtemp(pattern);
        previous_ = std::filesystem::current_path();
        std::filesystem::current_path(path_);
    }
    ~ScratchWorkDir() {
        std::filesystem::current_path(previous_);
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    ScratchWorkDir(const ScratchWorkDir&) = delete;
    ScratchWorkDir& operator=(const ScratchWorkDir&) = delete;
    std::string path() const { return path_.string(); }

private:
    std::filesystem::path path_, previous_;
};
