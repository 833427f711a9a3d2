#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/game.h"
#include "app/game_frame.h"
#include "platform/headless/headless_platform.h"
#include "resources/spoken_lines.h"
#include "resources/text_table.h"
#include "scenes/scene_change.h"
#include "tests/app/temp_dir.h"

namespace {

// A game in a folder without data: scene loads find nothing, so only the state machine runs.
std::unique_ptr<Game> fresh_game() {
    headless::machine() = {};
    auto game = std::make_unique<Game>();
    game->config.gamma_level = 255;
    return game;
}

// Passes of the fade machine until `done` holds; the count of passes taken.
template <class Done> int fade_passes(Game& game, Done done, int limit = 100) {
    int n = 0;
    while (!done() && n < limit) {
        fade_step(game);
        ++n;
    }
    return n;
}

TEST(SceneChange, FadeOutSixteenPassesThenChangeAtBlackThenFadeInSixteen) {
    auto game = fresh_game();
    game->story.current_scene = 4;
    game->frame.fade_level = 255;
    game->frame.scene_at_frame_start = 4;
    game->story.current_scene = 6; // the scene logic asks for scene 6
    detect_scene_change(*game);
    EXPECT_EQ(game->story.current_scene, 4) << "the old scene runs on while fading out";
    EXPECT_EQ(game->story.next_scene, 6);
    EXPECT_EQ(game->frame.fade_state, -1);

    for (int pass = 1; pass <= 15; ++pass) {
        fade_step(*game);
        EXPECT_EQ(game->frame.fade_level, 255 - 16 * pass);
        EXPECT_EQ(game->story.current_scene, 4);
    }
    fade_step(*game); // the sixteenth pass reaches black and changes
    EXPECT_EQ(game->frame.fade_level, 0);
    EXPECT_EQ(game->story.current_scene, 6);
    EXPECT_EQ(game->story.previous_scene, 4);
    EXPECT_EQ(game->frame.fade_state, 1) << "unloading starts the fade-in";

    EXPECT_EQ(fade_passes(*game, [&] { return game->frame.fade_state == 0; }), 16);
    EXPECT_EQ(game->frame.fade_level, 255);
}

TEST(SceneChange, ChangeDetectionTakesTheLastRequestAndIgnoresNoneAndOwnNumber) {
    struct Case {
        int32_t assigned_first, assigned_last;
        int32_t next_scene, fade_state;
    } cases[] = {
        {5, 6, 6, -1},   // two assignments in one pass: the last wins
        {4, 4, -7, 0},   // the scene's own number requests nothing
        {-1, -1, -7, 0}, // -1 is never turned into a change
    };
    for (const Case& c : cases) {
        auto game = fresh_game();
        game->frame.scene_at_frame_start = 4;
        game->story.next_scene = -7;
        game->story.current_scene = c.assigned_first;
        game->story.current_scene = c.assigned_last;
        detect_scene_change(*game);
        EXPECT_EQ(game->story.next_scene, c.next_scene) << c.assigned_last;
        EXPECT_EQ(game->frame.fade_state, c.fade_state) << c.assigned_last;
    }
}

TEST(SceneChange, ARequestDuringTheFadeOutReplacesTheTargetWithoutRestarting) {
    auto game = fresh_game();
    game->story.current_scene = 4;
    game->frame.fade_level = 255;
    game->frame.scene_at_frame_start = 4;
    game->story.current_scene = 3;
    detect_scene_change(*game);
    for (int i = 0; i < 5; ++i) fade_step(*game);
    const int32_t level = game->frame.fade_level;
    game->frame.scene_at_frame_start = game->story.current_scene;
    game->story.current_scene = 5;
    detect_scene_change(*game);
    EXPECT_EQ(game->story.next_scene, 5);
    fade_step(*game);
    EXPECT_EQ(game->frame.fade_level, level - 16) << "the fade goes on from where it was";
    fade_passes(*game, [&] { return game->story.current_scene != 4; });
    EXPECT_EQ(game->story.current_scene, 5);
}

TEST(SceneChange, UnloadClearsTheSceneAndKeepsTheStory) {
    auto game = fresh_game();
    SceneObject& o = game->records.objects[40];
    o = {.state = 100, .scene = 4, .visible = 1, .x = 538, .y = 263, .hoverable = 1, .cursor = 1};
    game->records.exits[2].enabled = 1;
    game->records.strips[0].mode = 1;
    game->actors.actors[2].walk_speed = 0.25f;
    game->actors.collision_table[0].in_use = 1;
    game->actors.stair_table[0].in_use = 1;
    game->actors.anim_sound_events[2][0] = {12, 6};
    game->draw.fog_volumes[0].in_use = 1;
    game->draw.shadows.shadow_extrusion = 0.1f;
    game->draw.shadows.shadow_light_count = 3;
    game->story.EXE = 3;
    game->story.DIALOG = 2;
    game->story.fase[4] = 1;
    game->text.subtitle_length = 12;
    game->app.Minigame = 2;
    unload_scene(*game);

    EXPECT_EQ(o.state, 100);
    EXPECT_EQ(o.scene, 4);
    EXPECT_EQ(o.x, 538);
    EXPECT_EQ(o.visible, 0);
    EXPECT_EQ(o.hoverable, 0);
    EXPECT_EQ(game->records.exits[2].enabled, 0);
    EXPECT_EQ(game->records.strips[0].mode, 0);
    EXPECT_EQ(game->actors.actors[2].walk_speed, 0.0f);
    EXPECT_EQ(game->actors.collision_table[0].in_use, 0);
    EXPECT_EQ(game->actors.stair_table[0].in_use, 0);
    EXPECT_EQ(game->actors.anim_sound_events[2][0].sound, -1);
    EXPECT_EQ(game->draw.fog_volumes[0].in_use, 0);
    EXPECT_EQ(game->draw.shadows.shadow_extrusion, 0.25f);
    EXPECT_EQ(game->draw.shadows.shadow_light_count, 1);
    EXPECT_EQ(game->story.EXE, 0);
    EXPECT_EQ(game->story.DIALOG, 0);
    EXPECT_EQ(game->story.fase[4], 1);
    EXPECT_EQ(game->text.subtitle_length, 0);
    EXPECT_EQ(game->app.Minigame, 0);
    EXPECT_EQ(game->frame.fade_state, 1);
}

// The rest of what a scene owns: lights, fires, the characters' models, the held tool's picture;
// and the tool names of the fixed list come back from the table, the other names stay.
TEST(SceneChange, UnloadReleasesTheSceneAndReadsTheToolNamesAgain) {
    TempWorkDir dir;
    std::vector<std::pair<int, std::u16string>> lines;
    for (int n = 0; n < k_object_count; ++n)
        lines.push_back({n, u"tool " + utf8_to_utf16(std::to_string(n))});
    const std::vector<uint8_t> table = encode_text_table(lines);
    const std::string path = tool_table_path(0);
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(table.data()), std::streamsize(table.size()));

    auto game = fresh_game();
    game->lighting.light_table[3].lifetime = -1;
    game->fires[2].lifetime = -1;
    Actor& boar = game->actors.actors[2];
    boar.model.parts.resize(2);
    boar.model.part_count = boar.part_count = 2;
    game->toolbar.tool_picture = make_system_surface(4, 4, k_format_xrgb8888);
    const auto name_of = [&](int n) {
        const ToolName& name = game->records.objects[size_t(n)].name;
        return std::u16string(name.data(), std::find(name.begin(), name.end(), u'\0'));
    };
    for (int n : {1, 13, 1023, 131}) game->records.objects[size_t(n)].name = {u'x'};
    unload_scene(*game);

    EXPECT_EQ(game->lighting.light_table[3].lifetime, 0);
    EXPECT_EQ(game->fires[2].lifetime, 0);
    EXPECT_TRUE(actor_empty(boar));
    EXPECT_EQ(boar.part_count, 0u);
    EXPECT_FALSE(game->toolbar.tool_picture);
    int named = 0;
    for (int n = 0; n < k_object_count; ++n) named += name_of(n).starts_with(u"tool ");
    EXPECT_EQ(named, 95);
    EXPECT_EQ(name_of(1023), u"tool 1023\r") << "the text up to and with its line end";
    EXPECT_EQ(name_of(131), u"tool 131\r");
    EXPECT_EQ(name_of(1), u"x") << "not in the list: kept";
    EXPECT_EQ(name_of(13), u"x");
    EXPECT_EQ(name_of(129), u"");
}

TEST(SceneChange, NewGameStartsInTheChoiceSceneAtFullBrightness) {
    auto game = fresh_game();
    game->story.fase[31] = 3;
    game->story.Flags[50] = 4;
    game->story.MainSost = 7;
    game->story.active_tool = 40;
    game->records.objects[5].state = 100;
    game->records.objects[5].scene = 4;
    new_game(*game);
    EXPECT_EQ(game->story.current_scene, 86);
    EXPECT_EQ(game->story.hero, 1);
    EXPECT_EQ(game->story.story_cycle, 0);
    EXPECT_EQ(game->story.fase[31], 0);
    EXPECT_EQ(game->story.Flags[50], 0);
    EXPECT_EQ(game->story.MainSost, 0);
    EXPECT_EQ(game->story.active_tool, -1);
    EXPECT_EQ(game->records.objects[5].state, 0);
    EXPECT_EQ(game->records.objects[5].scene, -1);
    EXPECT_EQ(game->frame.fade_level, 255);
    fade_step(*game);
    EXPECT_EQ(game->frame.fade_state, 0) << "no visible fade after a new game";
}

TEST(SceneChange, RestartWithTheOtherHero) {
    struct Case {
        int32_t hero_before, hero_after, scene, fase31, flags50;
    } cases[] = {{0, 1, 31, 3, 4}, {1, 0, 1, 0, 0}};
    for (const Case& c : cases) {
        auto game = fresh_game();
        game->story.hero = c.hero_before;
        game->story.Flags[7] = 1;
        game->story.DIALOG = 5;
        restart_with_other_hero(*game);
        EXPECT_EQ(game->story.hero, c.hero_after);
        EXPECT_EQ(game->story.current_scene, c.scene);
        EXPECT_EQ(game->story.fase[31], c.fase31);
        EXPECT_EQ(game->story.Flags[50], c.flags50);
        EXPECT_EQ(game->story.Flags[7], 0);
        EXPECT_EQ(game->story.DIALOG, 0);
        EXPECT_EQ(game->story.story_cycle, 1);
    }
}

TEST(SceneChange, FinalEndingLeavesNoSceneAndOpensTheMenuOnce) {
    auto game = fresh_game();
    game->story.current_scene = 84;
    game->story.previous_scene = 83;
    final_ending(*game);
    EXPECT_EQ(game->story.current_scene, -1);
    EXPECT_EQ(game->story.previous_scene, -1);
    EXPECT_EQ(game->app.menu_mode, 1);
    game->app.menu_mode = 0;
    final_ending(*game);
    EXPECT_EQ(game->app.menu_mode, 0) << "only the first ending opens the menu";
    detect_scene_change(*game);
    EXPECT_EQ(game->frame.fade_state, 0);
}

TEST(SceneChange, ScriptFadeRunsAtHalfSpeedAndReportsTheEnd) {
    auto game = fresh_game();
    game->frame.fade_level = 255;
    EXPECT_TRUE(step_script_fade(*game)) << "no script fade running";
    start_script_fade_out(*game);
    int passes = 1;
    while (!step_script_fade(*game)) ++passes;
    EXPECT_EQ(passes, 32);
    EXPECT_EQ(game->frame.fade_level, 0);
    EXPECT_EQ(game->story.current_scene, -1) << "a script fade changes no scene";
    start_script_fade_in(*game);
    passes = 1;
    while (!step_script_fade(*game)) ++passes;
    EXPECT_EQ(passes, 32);
    EXPECT_EQ(game->frame.fade_level, 255);
}

TEST(StoryState, FlagAndFaseOperationsActOnTheirScene) {
    StoryState s;
    s.current_scene = 4;
    set_fase(s, 2);
    set_flag(s, 0x5);
    clear_flag(s, 0x1);
    set_flag_of(s, 57, 0x20);
    set_fase_of(s, 31, 3);
    EXPECT_EQ(get_fase(s), 2);
    EXPECT_EQ(s.fase[31], 3);
    EXPECT_EQ(test_flag(s, 0x4), 0x4);
    EXPECT_EQ(test_flag(s, 0x1), 0);
    EXPECT_EQ(test_flag_of(s, 57, 0x20), 0x20);
    clear_flag_of(s, 57, 0x20);
    EXPECT_EQ(s.Flags[57], 0);
    s.current_scene = -1; // no scene: the operations touch the spare last entry only
    set_flag(s, 1);
    EXPECT_EQ(s.Flags[255], 1);
    EXPECT_EQ(s.Flags[0], 0);
}

} // namespace
