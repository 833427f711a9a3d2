#include <fcntl.h>
#include <unistd.h>

#include <cstring>

#include <gtest/gtest.h>

#include "resource_test_support.h"
#include "resources/archive.h"
#include "resources/asset_file.h"

namespace {

std::string read_all(AssetStream& asset) {
    std::string s(static_cast<size_t>(asset.read_size), '\0');
    s.resize(std::fread(s.data(), 1, s.size(), asset.file));
    return s;
}

// Look a name up with both forms of the lookup; they must agree.
bool lookup(const std::string& archive, const std::string& path, std::string* data = nullptr) {
    FILE* f = std::fopen(archive.c_str(), "rb");
    uint32_t offset = 0, size = 0;
    const bool found = archive_find_entry(f, path, offset, size);
    std::fclose(f);
    const int fd = ::open(archive.c_str(), O_RDONLY);
    uint32_t fd_offset = 0, fd_size = 0;
    const bool fd_found = archive_find_entry(fd, path, fd_offset, fd_size);
    ::close(fd);
    EXPECT_EQ(found, fd_found) << path;
    if (found) {
        EXPECT_EQ(offset, fd_offset);
        EXPECT_EQ(size, fd_size);
    }
    if (found && data) {
        AssetStream asset = open_archived_stream(path);
        *data = asset ? read_all(asset) : "";
        close_asset(asset);
    }
    return found;
}

} // namespace

TEST(Archive, NameOfTheArchiveIsTheFirstDirectory) {
    EXPECT_EQ(archive_name_for("gfx/scr_001/koch.bmp"), "gfx.res");
    EXPECT_EQ(archive_name_for("data/scr_001.txt"), "data.res");
    EXPECT_EQ(archive_name_for("zones.txt"), "");
    EXPECT_EQ(archive_name_for("data\\zones.txt"), "");
}

TEST(Archive, LookupComparesWholeNamesIgnoringLetterCaseOnly) {
    ScratchDir dir;
    write_archive("data.res", {{"data/scr_001.tif", bytes_of("picture")},
                               {"data/zones.txt", bytes_of("first")},
                               {"data/zones.txt", bytes_of("second")},
                               {"data/dialog.txt", bytes_of("lines")}});
    struct Case {
        const char* path;
        const char* data; // null: not found
    } cases[] = {
        {"data/scr_001.tif", "picture"}, {"Data/SCR_001.TIF", "picture"},
        {"data/scr_001.tif ", nullptr},  {"data\\scr_001.tif", nullptr},
        {"data/scr_001.ti", nullptr},    {"data/zones.txt", "first"},
        {"DATA/ZONES.TXT", "first"},     {"data/dialog.txt", "lines"},
    };
    for (const Case& c : cases) {
        std::string data;
        EXPECT_EQ(lookup("data.res", c.path, &data), c.data != nullptr) << c.path;
        if (c.data) {
            EXPECT_EQ(data, c.data) << c.path;
        }
    }
}

TEST(Archive, DamagedTablesFindNothingAndReadNothingOutside) {
    ScratchDir dir;
    std::vector<uint8_t> good;
    ASSERT_TRUE(encode_archive(std::vector<ArchiveFile>{{"data/a.txt", bytes_of("aaaa")},
                                                        {"data/b.txt", bytes_of("bbbb")}},
                               good));
    write_file("empty.res", std::vector<uint8_t>{0, 0, 0, 0});
    EXPECT_FALSE(lookup("empty.res", "data/a.txt"));
    write_file("nothing.res", std::vector<uint8_t>{});
    EXPECT_FALSE(lookup("nothing.res", "data/a.txt"));

    // A count larger than the table: present entries are found, the scan ends at the file's end.
    std::vector<uint8_t> short_table = good;
    short_table[0] = 0xFF;
    short_table[3] = 0xFF;
    write_file("short.res", short_table);
    EXPECT_TRUE(lookup("short.res", "data/b.txt"));
    EXPECT_FALSE(lookup("short.res", "data/c.txt"));

    // An entry whose data lies past the end of the archive, and one with no NUL in its name.
    std::vector<uint8_t> past_end = good;
    past_end[4 + 132] = 0xF0;
    write_file("past.res", past_end);
    EXPECT_FALSE(lookup("past.res", "data/a.txt"));
    std::vector<uint8_t> no_nul = good;
    std::memset(no_nul.data() + 4, 'x', 128);
    write_file("nonul.res", no_nul);
    EXPECT_FALSE(lookup("nonul.res", std::string(128, 'x')));
    EXPECT_TRUE(lookup("nonul.res", "data/b.txt"));
}

TEST(Archive, LooseFileWinsAndTheFullPathIsTheKey) {
    ScratchDir dir;
    write_archive("data.res", {{"data/zones.txt", bytes_of("archived")}});
    write_archive("gfx.res", {{"gfx/scr_001/koch.bmp", bytes_of("koch")}});
    write_archive("scr_001.res", {{"gfx/scr_001/koch.bmp", bytes_of("wrong")}});

    std::vector<uint8_t> out;
    ASSERT_TRUE(read_asset("data/zones.txt", 100, out));
    EXPECT_EQ(std::string(out.begin(), out.end()), "archived");
    write_file("data/zones.txt", "loose");
    ASSERT_TRUE(read_asset("data/zones.txt", 100, out));
    EXPECT_EQ(std::string(out.begin(), out.end()), "loose");

    ASSERT_TRUE(read_asset("gfx/scr_001/koch.bmp", 100, out));
    EXPECT_EQ(std::string(out.begin(), out.end()), "koch");
    EXPECT_FALSE(read_asset("koch.bmp", 100, out));
    EXPECT_FALSE(open_archived_stream("zones.txt"));
    EXPECT_EQ(open_archived_descriptor("zones.txt").descriptor, -1);
}

// A loose file wins over the archive whatever the letter case of its folders and name; a folder
// of the asset's name is not a loose file.
TEST(Archive, LooseFilesWinInAnyLetterCase) {
    ScratchDir dir;
    write_archive("Data.RES", {{"data/zones.txt", bytes_of("archived")},
                               {"data/scr_001.txt", bytes_of("archived 1")}});
    write_file("DATA/Zones.TXT", "loose");
    std::filesystem::create_directories("data/scr_001.txt");
    std::vector<uint8_t> out;
    ASSERT_TRUE(read_asset("data/zones.txt", 100, out));
    EXPECT_EQ(std::string(out.begin(), out.end()), "loose");
    ASSERT_TRUE(read_asset("data/scr_001.txt", 100, out));
    EXPECT_EQ(std::string(out.begin(), out.end()), "archived 1");
}

TEST(Archive, ReadsStopAtTheLoadersLimit) {
    ScratchDir dir;
    write_archive("data.res", {{"data/big.bin", bytes_of("0123456789")}});
    write_file("data/loose.bin", "0123456789");
    std::vector<uint8_t> out;
    ASSERT_TRUE(read_asset("data/big.bin", 4, out));
    EXPECT_EQ(std::string(out.begin(), out.end()), "0123");
    ASSERT_TRUE(read_asset("data/loose.bin", 4, out));
    EXPECT_EQ(std::string(out.begin(), out.end()), "0123");
}

TEST(Archive, WriterRoundTripsThroughTheTable) {
    ScratchDir dir;
    std::vector<ArchiveFile> files = {{"sound/a.wav", bytes_of("wave")},
                                      {"sound/empty.wav", {}},
                                      {"sound/b.wav", bytes_of("more data")}};
    write_archive("sound.res", files);
    FILE* f = std::fopen("sound.res", "rb");
    std::vector<ArchiveEntry> entries;
    ASSERT_TRUE(read_archive_table(f, entries));
    std::fclose(f);
    ASSERT_EQ(entries.size(), 3u);
    uint32_t expected_offset = 4 + 3 * 136;
    for (size_t i = 0; i < files.size(); ++i) {
        EXPECT_EQ(entries[i].name, files[i].name);
        EXPECT_EQ(entries[i].offset, expected_offset);
        EXPECT_EQ(entries[i].size, files[i].data.size());
        expected_offset += static_cast<uint32_t>(files[i].data.size());
        std::vector<uint8_t> out;
        ASSERT_TRUE(read_asset(files[i].name, 1000, out));
        EXPECT_EQ(out, files[i].data);
    }
    std::vector<uint8_t> bytes;
    EXPECT_FALSE(encode_archive(std::vector<ArchiveFile>{{std::string(128, 'n'), {}}}, bytes));
    EXPECT_TRUE(encode_archive(std::vector<ArchiveFile>{{std::string(127, 'n'), {}}}, bytes));
}
