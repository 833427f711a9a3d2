#include <gtest/gtest.h>

#include "tests/app/temp_dir.h"
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include "app/cursor.h"
#include "app/game.h"
#include "app/word_wrap.h"
#include "platform/headless/headless_platform.h"
#include "platform/text.h"
#include "resources/text_table.h"

namespace {

// Ten pixels a character, blanks included.
int ten_per_unit(std::u16string_view s) {
    return int(s.size()) * 10;
}

TEST(WordWrap, LinesTakeWordsWhileNarrowerThanTheLimit) {
    struct Case {
        std::u16string text;
        int limit;
        std::vector<std::u16string> lines;
    } cases[] = {
        {u"ab cd ef", 60, {u"ab cd ", u"ef"}},           // "ab cd ef" is 80 wide: ef goes on
        {u"ab cd", 60, {u"ab cd"}},                      // 50: fits
        {u"   ab  cd", 200, {u"ab cd"}},                 // leading and doubled blanks dropped
        {u"abcdefghij kl", 50, {u"abcdefghij ", u"kl"}}, // a word wider than the limit alone
        {u"ab\rcd", 200, {u"ab"}},                       // CR ends the text
        {u"", 100, {}},
    };
    for (const Case& c : cases) {
        const auto lines = wrap_words(c.text, c.limit, ten_per_unit);
        std::vector<std::u16string> texts;
        for (const auto& l : lines) texts.push_back(l.text);
        EXPECT_EQ(texts, c.lines) << c.limit;
    }
}

struct Screen {
    SurfacePtr back = make_system_surface(640, 480, k_format_xrgb8888);
    std::unique_ptr<Game> game = std::make_unique<Game>();

    Screen() {
        headless::machine() = {};
        game->display.back_buffer = back.get();
    }
    ~Screen() { font_close(game->app.ui_font); }

    // A cursor picture of `frames` 32-row frames, every pixel lit.
    void cursor(int kind, int width, int frames) {
        SurfacePtr& p = game->ui.cursor[size_t(kind)];
        p = make_system_surface(width, 32 * frames, k_format_xrgb8888);
        surface_fill(*p, nullptr, 0xFFFFFF);
    }
    bool lit(int x, int y) const { return surface_pixel(*back, x, y) != 0; }
};

TEST(Cursor, AnimatedCursorsAreCutAtTheScreenEdgeNeverWrapped) {
    Screen s;
    s.cursor(4, 40, 16);
    Game& g = *s.game;
    g.cursor.cursor_kind = 4;
    g.input.mouse_x = 630; // drawn from x 614
    g.input.mouse_y = 470; // from y 454: 26 rows left
    draw_cursor(g);
    EXPECT_TRUE(s.lit(639, 454));
    EXPECT_TRUE(s.lit(614, 479));
    EXPECT_FALSE(s.lit(613, 460));
    for (int x = 0; x < 20; ++x) EXPECT_FALSE(s.lit(x, 455)) << "wrapped onto the next row";

    s.cursor(0, 20, 1);
    g.cursor.cursor_kind = 0;
    g.input.mouse_x = 637;
    g.input.mouse_y = 477;
    draw_cursor(g);
    EXPECT_TRUE(s.lit(639, 479)) << "the arrow at the mouse point, cut to 3 by 3 pixels";
}

TEST(Cursor, FrameCountersStepAndResetByKind) {
    struct Case {
        int kind;
        int passes_to_reset; // passes until the counter is back at 0
    } cases[] = {
        {1, 31}, // 0.5 a pass, back to 0 once past 15 (at 15.5)
        {3, 18}, // 0.5 a pass, back to 0 on reaching 9
        {5, 22}, // 0.333 a pass, back to 0 once past 7 (at 7.326)
    };
    for (const Case& c : cases) {
        Screen s;
        s.cursor(c.kind, 32, 16);
        Game& g = *s.game;
        g.cursor.cursor_kind = c.kind;
        int passes = 0;
        do {
            draw_cursor(g);
            ++passes;
        } while (g.cursor.cursor_frame != 0 && passes < 100);
        EXPECT_EQ(passes, c.passes_to_reset) << "kind " << c.kind;
    }
}

TEST(Cursor, EntrySoundLatchHoldsUntilThePointerAndAToolTurnsTakeIntoUse) {
    Screen s;
    Game& g = *s.game;
    g.cursor.cursor_kind = 1;
    draw_cursor(g);
    EXPECT_EQ(g.cursor.cursor_sound_latch, 1);
    g.cursor.cursor_kind = 2;
    draw_cursor(g);
    EXPECT_EQ(g.cursor.cursor_sound_latch, 1) << "between two kinds: no new sound";
    g.cursor.cursor_kind = 0;
    draw_cursor(g);
    EXPECT_EQ(g.cursor.cursor_sound_latch, 0);
    g.story.active_tool = 40;
    g.cursor.cursor_kind = 5;
    draw_cursor(g);
    EXPECT_EQ(g.cursor.cursor_kind, 3);
    g.toolbar.toolbar_open = 1;
    draw_cursor(g);
    EXPECT_EQ(g.cursor.cursor_kind, 0) << "the open bar shows the pointer";
}

TEST(Subtitles, SwitchedOffNothingIsDrawnButTheLineStillEnds) {
    for (int subtitles : {1, 0}) {
        Screen s;
        Game& g = *s.game;
        g.app.ui_font = font_open("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", 18);
        ASSERT_NE(g.app.ui_font, nullptr);
        g.config.subtitles = subtitles;
        const std::u16string line = u"Un vieux puits.\r";
        std::copy(line.begin(), line.end(), g.text.subtitle_text.begin());
        g.text.subtitle_length = int32_t(line.size());
        g.text.speech_countdown = 3;
        int drawn = 0;
        for (int pass = 0; pass < 3; ++pass) {
            surface_fill(*s.back, nullptr, 0);
            draw_texts(g);
            for (int y = 440; y < 464; ++y)
                for (int x = 20; x < 200; ++x) drawn += s.lit(x, y);
        }
        EXPECT_EQ(g.text.subtitle_length, 0) << "the countdown ended the line";
        EXPECT_EQ(g.text.speech_countdown, 0);
        if (subtitles)
            EXPECT_GT(drawn, 0) << "the text's one line starts at y 448";
        else
            EXPECT_EQ(drawn, 0);
    }
}

} // namespace

namespace {

// The rows of the screen in which any pixel is lit.
std::vector<int> lit_rows(const Screen& s) {
    std::vector<int> rows;
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x)
            if (s.lit(x, y)) {
                rows.push_back(y);
                break;
            }
    return rows;
}

TEST(ExitCaption, StaysBesideTheCursorAndMovesUpNearTheBottom) {
    TempWorkDir dir; // and back to where the test started afterwards
    std::filesystem::create_directories("data");
    const std::vector<std::pair<int, std::u16string>> zones = {{3, u"Hut"}};
    const auto table = encode_text_table(zones);
    std::ofstream("data/zones.txt", std::ios::binary)
        .write(reinterpret_cast<const char*>(table.data()), std::streamsize(table.size()));

    struct Case {
        int mouse_y;
        int first_line_top; // the line's cell starts here: y0 + 16
    } cases[] = {
        {200, 216}, // below the cursor
        {470, 460}, // 16 + 470 + 20 > 480: moved up so the one line starts at 460
    };
    for (const Case& c : cases) {
        Screen s;
        Game& g = *s.game;
        g.app.ui_font = font_open("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", 18);
        ASSERT_NE(g.app.ui_font, nullptr);
        g.records.exits[0] = {4, 0, 0, 640, 480, 1, 4, 3};
        g.cursor.cursor_kind = 4;
        g.cursor.hover_exit = 0;
        g.input.mouse_x = 630; // the text is kept on the screen
        g.input.mouse_y = c.mouse_y;
        draw_texts(g);
        const std::vector<int> rows = lit_rows(s);
        ASSERT_FALSE(rows.empty()) << c.mouse_y;
        EXPECT_GE(rows.front(), c.first_line_top) << c.mouse_y;
        EXPECT_LT(rows.back(), c.first_line_top + 18) << c.mouse_y;
        int right = 0;
        for (int y : rows)
            for (int x = 0; x < 640; ++x)
                if (s.lit(x, y)) right = std::max(right, x);
        EXPECT_GT(right, 620) << "kept whole at the right edge, not cut or wrapped";
    }
}

} // namespace
