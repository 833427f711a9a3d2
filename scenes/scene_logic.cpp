#include "scenes/scene_logic.h"

#include "app/game.h"
#include "resources/picture.h"

namespace {

bool strictly_inside(int32_t mx, int32_t my, int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    return x1 < mx && mx < x2 && y1 < my && my < y2;
}

void clear_hover(Game& game) {
    SceneLogicState& l = game.logic;
    l.hover_look = l.hover_object = l.hover_actor = k_no_hover;
    game.cursor.hover_exit = k_no_hover;
}

} // namespace

void hit_test(Game& game) {
    clear_hover(game);
    if (game.frame.closeup_active) return;
    const int32_t mx = game.input.mouse_x, my = game.input.mouse_y;
    const int32_t s = game.story.current_scene;
    SceneLogicState& l = game.logic;
    CursorState& c = game.cursor;
    const SceneRecords& r = game.records;

    for (int32_t i = 0; i < r.look_zone_count; ++i) {
        const LookZone& z = r.look_zones[size_t(i)];
        if (z.scene != s || !strictly_inside(mx, my, z.x1, z.y1, z.x2, z.y2)) continue;
        l.hover_look = i;
        c.cursor_kind = 2;
    }
    for (int32_t i = 0; i < k_exit_count; ++i) {
        const ExitZone& e = r.exits[size_t(i)];
        if (!e.enabled || e.scene != s || !strictly_inside(mx, my, e.x1, e.y1, e.x2, e.y2))
            continue;
        l.hover_look = k_no_hover;
        c.hover_exit = i;
        c.cursor_kind = e.cursor;
    }
    for (int32_t i = 0; i < k_object_count; ++i) {
        const SceneObject& o = r.objects[size_t(i)];
        if (o.scene != s || o.state != 0 || !o.hoverable ||
            !strictly_inside(mx, my, o.x, o.y, o.x2, o.y2))
            continue;
        l.hover_look = k_no_hover;
        l.hover_object = i;
        c.cursor_kind = o.cursor;
    }
    for (int32_t i = 0; i < k_actor_count; ++i) {
        const Actor& a = game.actors.actors[size_t(i)];
        // draw_rect holds max x, max y, min x, min y.
        if (!a.hoverable || actor_empty(a) ||
            !strictly_inside(mx, my, a.draw_rect[2], a.draw_rect[3], a.draw_rect[0],
                             a.draw_rect[1]))
            continue;
        l.hover_look = k_no_hover;
        l.hover_actor = i;
        c.cursor_kind = 5;
    }
}

void take_object(Game& game, int n, int32_t state) {
    if (n < 0 || n >= k_object_count) return;
    SceneObject& o = game.records.objects[size_t(n)];
    o.state = state;
    o.hoverable = 0;
    o.visible = 0;
    game.story.active_tool = -1;
}

bool click_pending(const Game& game) {
    return (game.input.mouse_buttons[0] & 0x80) != 0 && game.frame.LeftKey == 0;
}

void consume_click(Game& game) {
    game.frame.LeftKey = 1;
}

bool hero_stands_at_order(const Actor& hero) {
    return hero.waypoint_x == hero.order_x && hero.waypoint_y == hero.order_y && !hero.walking;
}

void start_timed_animation(Game& game, int32_t from, int32_t to) {
    SceneLogicState& l = game.logic;
    l.timed_running = 1;
    l.timed_counter = from;
    l.timed_end = to;
}

bool step_timed_animation(Game& game) {
    SceneLogicState& l = game.logic;
    if (!l.timed_running) return false;
    Actor& hero = game.actors.actors[0];
    ++l.timed_counter;
    hero.frame = static_cast<float>(l.timed_counter);
    if (l.timed_counter < l.timed_end) return false;
    hero.state = 0;
    hero.frame = 0;
    l.timed_running = 0;
    return true;
}

void show_closeup(Game& game, const char* path) {
    FrameState& f = game.frame;
    if (load_picture_surface(game.display, f.closeup_picture, path)) f.closeup_active = 1;
}

void close_closeup(Game& game) {
    game.frame.closeup_active = 0;
}

void record_mouse_world(Game& game) {
    const SceneCamera& cam = game.camera;
    game.logic.mouse_world = unproject_pixel(cam.view_matrix, cam.projection_matrix,
                                             game.scene_buffers.scene_depth_float,
                                             game.input.mouse_x, game.input.mouse_y);
}
