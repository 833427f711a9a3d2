#include <gtest/gtest.h>

#include <memory>

#include "app/game.h"
#include "platform/headless/headless_platform.h"
#include "scenes/scene_logic.h"

namespace {

// Scene 4 with two overlapping look zones, an exit over the second, an object and a character.
std::unique_ptr<Game> scene_with_hotspots() {
    headless::machine() = {};
    auto game = std::make_unique<Game>();
    Game& g = *game;
    g.story.current_scene = 4;
    add_look_zone(g.records, 4, 100, 100, 200, 200, 3);
    add_look_zone(g.records, 4, 150, 150, 250, 250, 6);
    add_look_zone(g.records, 5, 0, 0, 640, 480, 7); // another scene's
    g.records.exits[1] = {4, 230, 230, 300, 300, 1, 4, 6};
    SceneObject& jug = g.records.objects[40];
    jug = {};
    jug.scene = 4;
    jug.x = 400, jug.y = 100, jug.x2 = 450, jug.y2 = 150;
    jug.hoverable = 1;
    jug.cursor = 1;
    Actor& a = g.actors.actors[2];
    a.model.parts.resize(1);
    a.hoverable = 1;
    a.draw_rect = {560, 400, 500, 300}; // max x, max y, min x, min y
    return game;
}

struct Hover {
    int32_t look, exit, object, actor, cursor;
};

Hover hover_at(Game& g, int x, int y) {
    g.input.mouse_x = x;
    g.input.mouse_y = y;
    g.cursor.cursor_kind = 0;
    hit_test(g);
    return {g.logic.hover_look, g.cursor.hover_exit, g.logic.hover_object, g.logic.hover_actor,
            g.cursor.cursor_kind};
}

TEST(HitTest, LaterZonesWinAndExitsObjectsAndCharactersWinOverZones) {
    auto game = scene_with_hotspots();
    constexpr int32_t none = k_no_hover;
    struct Case {
        int x, y;
        Hover expected;
    } cases[] = {
        {120, 120, {0, none, none, none, 2}},    // the first zone alone
        {170, 170, {1, none, none, none, 2}},    // both zones: the later one
        {240, 240, {none, 1, none, none, 4}},    // the exit over the second zone
        {100, 120, {none, none, none, none, 0}}, // on the zone's edge: outside
        {420, 120, {none, none, 40, none, 1}},   // the object
        {530, 350, {none, none, none, 2, 5}},    // the character
        {600, 450, {none, none, none, none, 0}}, // nothing
    };
    for (const Case& c : cases) {
        const Hover h = hover_at(*game, c.x, c.y);
        EXPECT_EQ(h.look, c.expected.look) << c.x << "," << c.y;
        EXPECT_EQ(h.exit, c.expected.exit) << c.x << "," << c.y;
        EXPECT_EQ(h.object, c.expected.object) << c.x << "," << c.y;
        EXPECT_EQ(h.actor, c.expected.actor) << c.x << "," << c.y;
        EXPECT_EQ(h.cursor, c.expected.cursor) << c.x << "," << c.y;
    }
}

TEST(HitTest, TakenObjectsEmptySlotsDisabledExitsAndCloseUpsAreNotHovered) {
    auto game = scene_with_hotspots();
    Game& g = *game;
    g.records.objects[40].state = 1;
    g.records.objects[40].visible = 1;
    EXPECT_EQ(hover_at(g, 420, 120).object, k_no_hover) << "taken";
    g.actors.actors[2].model.parts.clear();
    EXPECT_EQ(hover_at(g, 530, 350).actor, k_no_hover) << "no model";
    g.records.exits[1].enabled = 0;
    EXPECT_EQ(hover_at(g, 240, 240).exit, k_no_hover) << "disabled";
    EXPECT_EQ(hover_at(g, 240, 240).look, 1) << "the zone under it shows again";

    g.frame.closeup_active = 1;
    const Hover h = hover_at(g, 170, 170);
    EXPECT_EQ(h.look, k_no_hover);
    EXPECT_EQ(h.cursor, 0);
}

TEST(SceneLogic, TakingAnObjectHidesItAndDropsTheToolInHand) {
    auto game = scene_with_hotspots();
    Game& g = *game;
    g.records.objects[40].visible = 1;
    g.story.active_tool = 5;
    take_object(g, 40, 1);
    const SceneObject& o = g.records.objects[40];
    EXPECT_EQ(o.state, 1);
    EXPECT_EQ(o.visible, 0);
    EXPECT_EQ(o.hoverable, 0);
    EXPECT_EQ(g.story.active_tool, -1);
    take_object(g, 5000, 1); // outside the table: nothing
}

TEST(SceneLogic, TimedAnimationSetsTheHerosFramesThenRestsIt) {
    auto game = scene_with_hotspots();
    Game& g = *game;
    Actor& hero = g.actors.actors[0];
    hero.state = 21;
    start_timed_animation(g, 237, 240);
    EXPECT_FALSE(step_timed_animation(g));
    EXPECT_EQ(hero.frame, 238);
    EXPECT_FALSE(step_timed_animation(g));
    EXPECT_TRUE(step_timed_animation(g)) << "the counter reached its end";
    EXPECT_EQ(hero.state, 0);
    EXPECT_EQ(hero.frame, 0);
    EXPECT_EQ(g.logic.timed_running, 0);
    EXPECT_FALSE(step_timed_animation(g)) << "not running any more";
}

} // namespace
