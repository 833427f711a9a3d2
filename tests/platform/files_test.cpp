#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/codepage.h"
#include "platform/files.h"

namespace fs = std::filesystem;

namespace {

// Each test runs in a fresh folder as its working directory, like the game does.
struct InTempDir : ::testing::Test {
    fs::path old, dir;
    void SetUp() override {
        old = fs::current_path();
        dir = fs::temp_directory_path() / ("vantor_files_" + std::to_string(getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir / "saves");
        fs::current_path(dir);
    }
    void TearDown() override {
        fs::current_path(old);
        fs::remove_all(dir);
    }
};

std::string read_text(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

TEST_F(InTempDir, AtomicWriteReplacesWholeOrNothing) {
    const uint8_t first[] = {'a', 'b', 'c'};
    ASSERT_TRUE(file_write_atomic("saves\\x.bin", first)) << "backslashes are folder separators";
    EXPECT_EQ(read_text("saves/x.bin"), "abc");

    chmod("saves/x.bin", 0444);
    const uint8_t second[] = {'z'};
    EXPECT_FALSE(file_write_atomic("saves/x.bin", second)) << "a read-only file stays untouched";
    EXPECT_EQ(read_text("saves/x.bin"), "abc");

    EXPECT_FALSE(file_write_atomic("nosuch/x.bin", second)) << "folders are not created";
    EXPECT_FALSE(fs::exists("nosuch"));
    for (const auto& e : fs::directory_iterator("saves"))
        EXPECT_EQ(e.path().filename(), "x.bin") << "no temporary file is left behind";
}

TEST_F(InTempDir, SearchMatchesSuffixWithoutCaseAndSorts) {
    for (const char* name : {"saves/b.sav", "saves/A.SAV", "saves/c.sav.bak", "saves/auto.sav"})
        std::ofstream(name) << "x";
    const std::vector<std::string> want = {"A.SAV", "auto.sav", "b.sav"};
    EXPECT_EQ(file_search("saves", ".sav"), want);
    EXPECT_TRUE(file_search("missing", ".sav").empty());
}

TEST_F(InTempDir, ReadsFindFilesWithoutCaseAndNeverTakeAFolder) {
    fs::create_directories("Data/Sub");
    fs::create_directories("Data/folder.txt");
    fs::create_directories("data"); // tried first for "data/...", and passed over: it is empty
    for (const char* name : {"Data/Sub/Mixed.TXT", "Data/exact.txt", "Data/EXACT.txt", "Data/b.txt",
                             "Data/B.TXT", "Data/FOLDER.TXT"})
        std::ofstream(name) << name;
    const struct {
        const char* request;
        const char* found; // empty: no file
    } cases[] = {
        {"data/sub/mixed.txt", "Data/Sub/Mixed.TXT"},
        {"DATA\\SUB\\MIXED.TXT", "Data/Sub/Mixed.TXT"},
        {"Data/exact.txt", "Data/exact.txt"}, // the exact name wins over another case
        {"data/EXACT.txt", "Data/EXACT.txt"},
        {"data/b.Txt", "Data/B.TXT"},           // of several, the first in byte order
        {"data/folder.txt", "Data/FOLDER.TXT"}, // a folder of that name is passed over
        {"Data/Sub", ""},
        {"data/missing.txt", ""},
        {"data/sub/mixed.txt/x", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(find_file(c.request), c.found) << c.request;
        FILE* f = file_open(c.request, "rb");
        EXPECT_EQ(f != nullptr, *c.found != '\0') << c.request;
        if (f) std::fclose(f);
    }
    EXPECT_EQ(find_file(fs::absolute("DATA/sub/mixed.txt").string()),
              fs::absolute("Data/Sub/Mixed.TXT").string());

    // Writing creates the exact name asked for.
    FILE* w = file_open("Data/sub/new.txt", "wb");
    EXPECT_EQ(w, nullptr) << "no folder of that exact name";
    if (w) std::fclose(w);
}

TEST_F(InTempDir, ReadAllRefusesFilesOverItsCap) {
    std::ofstream("ten.bin") << "0123456789";
    std::vector<uint8_t> out = {1};
    EXPECT_FALSE(file_read_all("ten.bin", 9, out));
    EXPECT_EQ(out, std::vector<uint8_t>{1}) << "nothing is read";
    ASSERT_TRUE(file_read_all("TEN.BIN", 10, out));
    EXPECT_EQ(std::string(out.begin(), out.end()), "0123456789");
    EXPECT_FALSE(file_read_all("saves", 100, out)) << "a folder is no file";
}

TEST(Codepage, RoundTripsTheUpperHalf) {
    EXPECT_EQ(unicode_to_cp1251(U'А'), 0xC0);
    EXPECT_EQ(unicode_to_cp1251(U'я'), 0xFF);
    EXPECT_EQ(unicode_to_cp1251(U'ё'), 0xB8);
    EXPECT_EQ(unicode_to_cp1251(U'€'), 0x88);
    EXPECT_EQ(unicode_to_cp1251(U'é'), 0) << "not in the page";
    EXPECT_EQ(utf8_to_cp1251("Aé Жж€"), (std::vector<uint8_t>{'A', ' ', 0xC6, 0xE6, 0x88}));
    EXPECT_EQ(utf8_to_cp1251("\xD0"), std::vector<uint8_t>{}) << "a cut sequence is dropped";
    for (int code = 0; code < 256; ++code) {
        const char16_t u = cp1251_to_unicode(static_cast<uint8_t>(code));
        if (u != 0) {
            EXPECT_EQ(unicode_to_cp1251(u), code);
        }
    }
}

} // namespace
