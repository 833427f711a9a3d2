// The demo's sounds in this process: every sound the scenes and the interface load is in the demo
// data, every scene's music track exists, and the characters' and strips' sounds play.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/game_frame.h"
#include "platform/files.h"
#include "resources/asset_file.h"
#include "resources/spoken_lines.h"
#include "tests/e2e/demo_folder.h"
#include "tests/support/demo_game.h"

namespace {

class DemoSound : public ::testing::Test {
protected:
    void SetUp() override {
        const std::filesystem::path dir = make_demo_folder();
        ASSERT_FALSE(dir.empty());
        std::filesystem::current_path(dir);
    }
};

// Passes until `heard` holds, at most `limit`.
bool runs_until(Game& g, int limit, const std::function<bool()>& heard) {
    for (int pass = 0; pass < limit; ++pass) {
        run_game_frame(g);
        if (heard()) return true;
    }
    return false;
}

} // namespace

TEST_F(DemoSound, EverySoundTheScenesAndTheInterfaceLoadIsThere) {
    for (int scene : {3, 4, 5, 6, 86}) {
        for (int hero : {0, 1}) {
            SCOPED_TRACE(testing::Message() << "scene " << scene << " hero " << hero);
            auto game = start_demo_game({}, scene, hero);
            ASSERT_NE(game, nullptr);
            const SoundState& s = game->sound;
            ASSERT_TRUE(s.sound_available);
            int loaded = 0;
            for (int slot = 0; slot < k_sound_slot_count; ++slot) {
                if (!s.slots[size_t(slot)].loaded) continue;
                ++loaded;
                EXPECT_TRUE(slot_has_buffer(s, slot)) << "slot " << slot;
            }
            for (int slot = 52; slot <= 62; ++slot) EXPECT_TRUE(slot_has_buffer(s, slot)) << slot;
            EXPECT_GE(loaded, 13); // the footsteps and more beside the interface sounds
            EXPECT_TRUE(file_exists(music_track_path(game->app.music_track)))
                << "track " << game->app.music_track;
            // What the hero says about each place to look at.
            const SceneRecords& r = game->records;
            for (int32_t z = 0; z < r.look_zone_count; ++z) {
                const LookZone& zone = r.look_zones[size_t(z)];
                if (zone.scene != scene) continue;
                std::vector<uint8_t> bytes;
                EXPECT_TRUE(read_asset(refusal_voice_path(hero, zone.text), 16u << 20, bytes))
                    << "remark " << zone.text;
            }
            stop_demo_game(*game);
        }
    }
    EXPECT_TRUE(file_exists(music_track_path(11))) << "the start screen's track";
}

TEST_F(DemoSound, FootstepsTheBoarsSoundsAndTheDoorsCreakPlay) {
    auto game = start_demo_game({}, 4, 0);
    ASSERT_NE(game, nullptr);
    Game& g = *game;
    actor_walk_to(g.actors.actors[0], 300, 420, 10.0f);
    EXPECT_TRUE(runs_until(g, 300, [&] {
        return sound_playing(g.sound, 0) || sound_playing(g.sound, 1);
    })) << "a footstep";
    actor_walk_to(g.actors.actors[2], 200, 330, 10.0f);
    EXPECT_TRUE(runs_until(g, 600, [&] {
        for (int slot = 6; slot <= 11; ++slot)
            if (sound_playing(g.sound, slot)) return true;
        return false;
    })) << "the boar";
    stop_demo_game(g);

    game = start_demo_game({}, 3, 1);
    ASSERT_NE(game, nullptr);
    AnimStrip& door = game->records.strips[0];
    door.frame = 0;
    door.mode = 1;
    EXPECT_TRUE(runs_until(*game, 10, [&] { return sound_playing(game->sound, 2); }));
    // From the strip's middle: a pan to the right of the picture's centre.
    EXPECT_EQ(game->sound.pan[2], (door.x + door.width / 2) * 2 - 640);
    stop_demo_game(*game);
}

// Entering a scene stops every slot that still plays, the interface sounds and the voice too.
TEST_F(DemoSound, ASceneChangeStopsEverySoundThatPlays) {
    auto game = start_demo_game({}, 4, 0);
    ASSERT_NE(game, nullptr);
    Game& g = *game;
    ASSERT_TRUE(slot_has_buffer(g.sound, 57));
    play_sound(g.sound, 57, 0, 0, 1); // an interface sound, looping
    play_sound(g.sound, 3, 0, 0, 1);
    ASSERT_TRUE(sound_playing(g.sound, 57));
    g.story.current_scene = 6;
    enter_scene_now(g);
    EXPECT_FALSE(sound_playing(g.sound, 57));
    EXPECT_TRUE(slot_has_buffer(g.sound, 57)) << "stopped, not released";
    stop_demo_game(g);
}
