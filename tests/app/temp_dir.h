// A fresh working directory for a test, with a "saves" folder, removed afterwards.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <string>

class TempWorkDir {
public:
    explicit TempWorkDir(bool with_saves = true) {
        static int counter = 0;
        old_ = std::filesystem::current_path();
        dir_ = std::filesystem::temp_directory_path() /
               ("vantor_test_" + std::to_string(getpid()) + "_" + std::to_string(counter++));
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(with_saves ? dir_ / "saves" : dir_);
        std::filesystem::current_path(dir_);
    }
    ~TempWorkDir() {
        std::filesystem::current_path(old_);
        std::filesystem::remove_all(dir_);
    }
    const std::filesystem::path& path() const { return dir_; }

private:
    std::filesystem::path old_, dir_;
};
