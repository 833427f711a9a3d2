// A game folder for one test: the demo data that the demo_draft fixture generated, linked in,
// and a saves/ folder of its own.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>

inline std::filesystem::path demo_data_dir() {
    return std::filesystem::path(VANTOR_BINARY_DIR) / "demo-draft";
}

// <build>/play/<test name>, made afresh; empty when there is no demo data.
inline std::filesystem::path make_demo_folder() {
    namespace fs = std::filesystem;
    const fs::path demo = demo_data_dir();
    if (!fs::exists(demo / "data.res")) {
        ADD_FAILURE() << "no demo data in " << demo;
        return {};
    }
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    const fs::path dir = fs::path(VANTOR_BINARY_DIR) / "play" / info->name();
    fs::remove_all(dir);
    fs::create_directories(dir / "saves");
    for (const auto& entry : fs::directory_iterator(demo))
        if (entry.path().filename() != "saves")
            fs::create_symlink(entry.path(), dir / entry.path().filename());
    return dir;
}
