// What the generated pictures show where (the generator's facts of each scene) against the scene
// code that relies on it, read through the game's own loaders and clicks: exits and the points
// the hero walks to before leaving, look zones, objects, strips, stairs and entry places. Moving a
// thing in the generator fails here until the scene code follows, and the other way round.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "app/game_frame.h"
#include "scenes/scene_routines.h"
#include "tests/e2e/demo_folder.h"
#include "tests/support/demo_game.h"
#include "tools/demo/scenes.h"

namespace {

const SceneRecipe& recipe(int number) {
    for (const SceneRecipe* r : demo_scenes())
        if (r->number == number) return *r;
    ADD_FAILURE() << "no scene " << number;
    return *demo_scenes().front();
}

// The generator's facts of a scene, with the geometry alone (the shading is not needed).
DemoScene generated_facts(int number) {
    SceneQuality quality;
    quality.shading = false;
    DemoOutput out;
    return generate_scene(recipe(number), quality, out).scene;
}

// Which entry of the scene code a generated place is: the actor slot, and for the hero the scene
// it comes from and the scene's flags.
struct PlaceCase {
    int scene;
    size_t place; // index in the generator's places
    int actor;
    int previous_scene;
    int32_t flags;
};

// Scene 3's place in front of the hut's door comes with the way out of the hut.
constexpr PlaceCase k_places[] = {
    {3, 0, 0, 4, 0}, {4, 0, 0, 3, 0}, {4, 0, 0, 5, 0}, {4, 1, 0, 3, 1},  {4, 2, 0, 6, 0},
    {4, 3, 2, 3, 0}, {5, 0, 0, 4, 0}, {6, 0, 0, 4, 0}, {86, 0, 0, 1, 0}, {86, 1, 1, 1, 0},
};

// The door of the hut in scene 3 is, to the scene code, a hotspot object that walks the hero to
// its step; the generator records it as a way into the hut.
constexpr int k_hut_door_object = 41;
constexpr int k_hut_destination = 1;

void expect_near(const Vec3& engine, const V3d& generated, const char* what) {
    EXPECT_NEAR(engine.x, generated.x, 1e-3) << what;
    EXPECT_NEAR(engine.y, generated.y, 1e-3) << what;
    EXPECT_NEAR(engine.z, generated.z, 1e-3) << what;
}

class SceneFacts : public ::testing::TestWithParam<int> {
protected:
    std::unique_ptr<Game> game;
    DemoScene facts;

    void SetUp() override {
        facts = generated_facts(GetParam());
        const std::filesystem::path dir = make_demo_folder();
        ASSERT_FALSE(dir.empty());
        std::filesystem::current_path(dir);
        game = start_demo_game(DemoGameOptions{}, GetParam(), 0);
        ASSERT_NE(game, nullptr);
    }
    void TearDown() override {
        if (game) stop_demo_game(*game);
    }

    // Where a click at a screen point sends the hero, from a fresh load of the scene.
    std::pair<int32_t, int32_t> walk_target_of_click(int x, int y) {
        load_scene_assets(*game);
        click_in_game(*game, x, y);
        const Actor& hero = game->actors.actors[0];
        return {hero.order_x, hero.order_y};
    }
};

TEST_P(SceneFacts, ExitsAndTheirWalkPointsAgree) {
    const SceneRecords& r = game->records;
    size_t exit = 0;
    for (const DemoExit& e : facts.exits) {
        const int cx = (e.x1 + e.x2) / 2, cy = (e.y1 + e.y2) / 2;
        if (GetParam() == 3 && e.destination == k_hut_destination) {
            const SceneObject& door = r.objects[k_hut_door_object];
            EXPECT_EQ(door.x, e.x1);
            EXPECT_EQ(door.y, e.y1);
            EXPECT_EQ(door.x2, e.x2);
            EXPECT_EQ(door.y2, e.y2);
            EXPECT_EQ(walk_target_of_click(cx, cy), std::make_pair(e.walk_x, e.walk_y));
            continue;
        }
        SCOPED_TRACE(::testing::Message() << "exit " << exit);
        const ExitZone& z = r.exits[exit++];
        EXPECT_EQ(z.scene, GetParam());
        EXPECT_EQ(z.enabled, 1);
        EXPECT_EQ(std::make_tuple(z.x1, z.y1, z.x2, z.y2, z.destination),
                  std::make_tuple(e.x1, e.y1, e.x2, e.y2, e.destination));
        EXPECT_EQ(walk_target_of_click(cx, cy), std::make_pair(e.walk_x, e.walk_y));
    }
    EXPECT_EQ(r.exits[exit].enabled, 0) << "no exit of the scene code is missing a picture";
}

TEST_P(SceneFacts, LookZonesObjectsStripsAndStairsAgree) {
    const SceneRecords& r = game->records;
    size_t look = 0;
    for (int32_t i = 0; i < r.look_zone_count; ++i) {
        const LookZone& z = r.look_zones[size_t(i)];
        if (z.scene != GetParam()) continue;
        ASSERT_LT(look, facts.looks.size()) << "a look zone the pictures do not show";
        const DemoLook& l = facts.looks[look++];
        EXPECT_EQ(std::make_tuple(z.x1, z.y1, z.x2, z.y2, z.text),
                  std::make_tuple(l.x1, l.y1, l.x2, l.y2, l.text))
            << "look zone " << look - 1;
    }
    EXPECT_EQ(look, facts.looks.size());
    for (const DemoObject& o : facts.objects) {
        const SceneObject& engine = r.objects[size_t(o.number)];
        EXPECT_EQ(r.object_paths[size_t(o.number)], o.picture);
        EXPECT_EQ(engine.scene, GetParam()) << o.picture;
        EXPECT_EQ(engine.x, o.x) << o.picture;
        EXPECT_EQ(engine.y, o.y) << o.picture;
    }
    for (size_t k = 0; k < facts.strips.size(); ++k) {
        const DemoStrip& s = facts.strips[k];
        const AnimStrip& engine = r.strips[k];
        EXPECT_EQ(engine.path, s.picture);
        EXPECT_EQ(std::make_tuple(engine.x, engine.y, engine.width, engine.frame_height),
                  std::make_tuple(s.x, s.y, s.width, s.frame_height))
            << s.picture;
        EXPECT_FLOAT_EQ(engine.frame_count, float(s.frames)) << s.picture;
    }
    for (size_t k = 0; k < size_t(k_stair_count); ++k) {
        const Stair& engine = game->actors.stair_table[k];
        EXPECT_EQ(engine.in_use != 0, k < facts.stairs.size()) << "stair " << k;
        if (k >= facts.stairs.size()) continue;
        const DemoStair& s = facts.stairs[k];
        expect_near(engine.bottom, s.bottom, "bottom of the stair");
        expect_near(engine.top, s.top, "top of the stair");
        EXPECT_NEAR(engine.up_heading, s.up_heading, 1e-4);
        EXPECT_NEAR(engine.down_heading, s.down_heading, 1e-4);
        EXPECT_FLOAT_EQ(engine.steps, float(s.steps));
    }
}

TEST_P(SceneFacts, EntryPlacesAgree) {
    int checked = 0;
    for (const PlaceCase& c : k_places) {
        if (c.scene != GetParam()) continue;
        ASSERT_LT(c.place, facts.places.size());
        const DemoPlace& p = facts.places[c.place];
        SCOPED_TRACE(p.who);
        game->story.previous_scene = c.previous_scene;
        game->story.Flags[size_t(c.scene)] = c.flags;
        load_scene_assets(*game);
        setup_scene_characters(*game);
        const Actor& a = game->actors.actors[size_t(c.actor)];
        expect_near(a.position, p.position, p.who.c_str());
        EXPECT_NEAR(a.heading, p.heading, 1e-4);
        ++checked;
    }
    EXPECT_GT(checked, 0);
}

INSTANTIATE_TEST_SUITE_P(DemoScenes, SceneFacts, ::testing::Values(3, 4, 5, 6, 86));

} // namespace
