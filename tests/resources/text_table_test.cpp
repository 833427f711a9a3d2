#include <gtest/gtest.h>

#include "app/game.h"
#include "resource_test_support.h"
#include "resources/spoken_lines.h"
#include "resources/text_table.h"

namespace {

using Lines = std::vector<std::pair<int, std::u16string>>;

// A table as bytes, with a byte-order mark that is deliberately not the usual one: it is
// skipped whatever it holds.
std::vector<uint8_t> table(const std::u16string& body) {
    std::vector<uint8_t> out = {0x00, 0xD8};
    for (char16_t c : body)
        out.insert(out.end(), {static_cast<uint8_t>(c), static_cast<uint8_t>(c >> 8)});
    return out;
}

std::u16string text_of(const std::array<char16_t, k_subtitle_units>& buf, int n) {
    return std::u16string(buf.data(), static_cast<size_t>(n));
}

} // namespace

TEST(TextTable, FindsTheFirstLineOfANumberInsideAndOutsideAnArchive) {
    ScratchDir dir;
    const std::u16string body = u"not a line\r\n"
                                u"12 Hello world\r\n"
                                u"5 first five\r\n"
                                u"3 three\r\n"
                                u"5 second five\r\n"
                                u"7  two blanks\r\n"
                                u"  8 indented\r\n"
                                u"-2 negative\r\n"
                                u"9\r\n"
                                u"10 last line without end";
    write_file("data/loose.txt", table(body));
    // In the archive the table is followed by another entry whose text holds a line 99: the scan
    // ends at the table's own end.
    write_archive("data.res", {{"data/x.bin", bytes_of("xyz")},
                               {"data/packed.txt", table(body)},
                               {"data/after.txt", table(u"\r\n99 not mine\r\n")}});
    struct Case {
        int n;
        const char16_t* text; // null: no line
    } cases[] = {
        {12, u"Hello world\r"},
        {5, u"first five\r"},
        {3, u"three\r"},
        {7, u" two blanks\r"},
        {8, u"8 indented\r"},
        {-2, u"negative\r"},
        {9, u"\r"},
        {10, u"last line without end\r"},
        {99, nullptr},
        {0, nullptr},
    };
    for (const char* path : {"data/loose.txt", "data/packed.txt"}) {
        std::vector<char16_t> units;
        ASSERT_TRUE(read_text_table(path, units));
        for (const Case& c : cases) {
            const auto found = find_table_line(units, c.n);
            EXPECT_EQ(found.has_value(), c.text != nullptr) << path << " " << c.n;
            if (found && c.text) {
                EXPECT_EQ(*found, c.text) << path << " " << c.n;
            }
        }
    }
}

TEST(TextTable, LongLinesContinueAsTheNextLine) {
    // Cut at the limit, a line's remainder is read as a line of its own.
    std::u16string body = u"1 " + std::u16string(10, u'a') + u"42 tail\r\n";
    const std::vector<char16_t> units(body.begin(), body.end());
    EXPECT_EQ(*find_table_line(units, 1, 12), std::u16string(10, u'a') + u'\r');
    EXPECT_EQ(*find_table_line(units, 42, 12), u"tail\r");
    EXPECT_FALSE(find_table_line(units, 42).has_value());
}

TEST(TextTable, WriterRoundTrips) {
    const Lines lines = {{1, u"one"}, {20, u"Zwanzig \u00fc\u00df"}, {3, u""}};
    const std::vector<uint8_t> file = encode_text_table(lines);
    EXPECT_EQ(file[0], 0xFF);
    EXPECT_EQ(file[1], 0xFE);
    const std::vector<char16_t> units = table_units(file);
    for (const auto& [n, text] : lines) EXPECT_EQ(*find_table_line(units, n), text + u'\r');
    EXPECT_EQ(utf16_to_utf8(u"Zwanzig \u00fc\u00df \U0001F600"),
              "Zwanzig \xC3\xBC\xC3\x9F \xF0\x9F\x98\x80");
    EXPECT_EQ(utf8_to_utf16("Zwanzig \xC3\xBC\xC3\x9F \xF0\x9F\x98\x80"),
              u"Zwanzig \u00fc\u00df \U0001F600");
    EXPECT_EQ(utf8_to_utf16("\xC3"), u"\uFFFD");
}

TEST(SpokenLines, LinesBecomeSubtitlesWithTheirCountdown) {
    ScratchDir dir;
    const std::u16string eighty(80, u'x');
    write_file("data/dialog.txt", encode_text_table(Lines{{12, u"Hello world"}, {13, eighty}}));
    write_file("data/dialogb.txt", encode_text_table(Lines{{12, u"Brask says"}}));
    auto game = std::make_unique<Game>();
    TextState& t = game->text;

    say_line(*game, 12);
    EXPECT_EQ(text_of(t.subtitle_text, t.subtitle_length), u"Hello world\r");
    EXPECT_EQ(t.subtitle_length, 12);
    EXPECT_EQ(t.subtitle_text[12], u'\r');
    EXPECT_EQ(t.subtitle_text[13], u'\n');
    EXPECT_EQ(t.subtitle_text[14], 0);
    EXPECT_EQ(t.speech_countdown, 50);
    EXPECT_EQ(game->frame.LeftKey, 1);

    say_line(*game, 13);
    EXPECT_EQ(t.speech_countdown, 81);

    // A missing line leaves the subtitle as it was.
    game->frame.LeftKey = 0;
    say_line(*game, 14);
    EXPECT_EQ(t.subtitle_length, 81);
    EXPECT_EQ(game->frame.LeftKey, 0);

    game->story.hero = 1;
    say_line(*game, 12);
    EXPECT_EQ(text_of(t.subtitle_text, t.subtitle_length), u"Brask says\r");

    // Without sound the line runs on its countdown.
    speech_step(*game);
    EXPECT_EQ(t.speech_countdown, 49);
    stop_voice(*game);
    EXPECT_EQ(t.speech_countdown, 0);
}

TEST(SpokenLines, RefusalsSetTheLatchEvenWithoutALine) {
    ScratchDir dir;
    write_file("data/otboy.txt", encode_text_table(Lines{{4, u"No."}}));
    auto game = std::make_unique<Game>();
    say_refusal(*game, 4);
    EXPECT_EQ(game->text.subtitle_length, 4);
    game->frame.LeftKey = 0;
    say_refusal(*game, 5);
    EXPECT_EQ(game->frame.LeftKey, 1);
    EXPECT_EQ(game->text.subtitle_length, 4);
    // Without the table nothing happens at all.
    game->frame.LeftKey = 0;
    game->story.hero = 1;
    say_refusal(*game, 4);
    EXPECT_EQ(game->frame.LeftKey, 0);
}

TEST(SpokenLines, RandomLinesNeverRepeatTheLastOne) {
    ScratchDir dir;
    Lines lines;
    for (int n = 10; n <= 13; ++n)
        lines.push_back({n, u"line " + std::u16string(1, char16_t(u'0' + n - 10))});
    write_file("data/dialog.txt", encode_text_table(lines));
    auto game = std::make_unique<Game>();
    int previous = -1;
    for (int i = 0; i < 200; ++i) {
        say_random_line(*game, 10, 3);
        const int chosen = game->text.last_random_line;
        EXPECT_NE(chosen, previous);
        EXPECT_GE(chosen, 10);
        EXPECT_LE(chosen, 13);
        previous = chosen;
    }
    say_random_line(*game, 20, 0);
    EXPECT_EQ(game->text.last_random_line, 20);
}

TEST(SpokenLines, CaptionsAndToolNames) {
    ScratchDir dir;
    write_file("data/zones.txt", encode_text_table(Lines{{4, u"Kitchen"}}));
    write_file("data/toolseng.txt",
               encode_text_table(Lines{{2, u"Rope"}, {3, std::u16string(100, u'n')}}));
    auto game = std::make_unique<Game>();
    load_zone_caption(*game, 4);
    EXPECT_EQ(game->text.caption_length, 7);
    EXPECT_EQ(std::u16string(game->text.caption_text.data(), 10), u"Kitchen\r\r\n");
    load_zone_caption(*game, 5);
    EXPECT_EQ(game->text.caption_length, 7);

    game->app.text_language = 1;
    ToolName name{};
    ASSERT_TRUE(load_tool_name(*game, 2, name));
    EXPECT_EQ(std::u16string(name.data(), 5), u"Rope\r");
    ASSERT_TRUE(load_tool_name(*game, 3, name));
    EXPECT_EQ(name[62], u'n');
    EXPECT_EQ(name[63], u'\r');
    EXPECT_FALSE(load_tool_name(*game, 4, name));
}

TEST(SpokenLines, OverlongLinesAreCutToTheSubtitleBuffer) {
    ScratchDir dir;
    write_file("data/dialog.txt", encode_text_table(Lines{{1, std::u16string(2000, u'w')}}));
    auto game = std::make_unique<Game>();
    say_line(*game, 1);
    const TextState& t = game->text;
    EXPECT_EQ(t.subtitle_length, static_cast<int>(k_subtitle_units - 3));
    EXPECT_EQ(t.subtitle_text[k_subtitle_units - 4], u'\r');
    EXPECT_EQ(t.subtitle_text[k_subtitle_units - 1], 0);
}
