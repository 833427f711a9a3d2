#include "app/toolbar.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "app/game.h"
#include "app/word_wrap.h"
#include "platform/device3d.h"
#include "platform/text.h"
#include "resources/hardware_texture.h"
#include "resources/picture.h"

namespace {

constexpr int k_sound_tool_click = 54, k_sound_next = 55, k_sound_previous = 56;
constexpr int k_sound_new_tool = 60;
constexpr int32_t k_owned = 100;
constexpr uint32_t k_name_colour = 0x280000; // red 40
constexpr int k_name_width = 90;
constexpr Rect k_large_image{0, 0, 92, 88};
constexpr Rect k_icon{0, 88, 64, 152};
constexpr const char* k_glow_texture = "textures/glow.bmp";

bool left_down(const Game& game) {
    return (game.input.mouse_buttons[0] & 0x80) != 0;
}

bool inside(const Game& game, int x1, int y1, int x2, int y2) {
    const int x = game.input.mouse_x, y = game.input.mouse_y;
    return x1 < x && x < x2 && y1 < y && y < y2;
}

bool owned(const Game& game, int32_t tool) {
    return tool >= 0 && tool < k_object_count && game.records.objects[size_t(tool)].state != 0;
}

void load_tool_picture(Game& game, SurfacePtr& holder, int32_t tool) {
    char path[32];
    std::snprintf(path, sizeof path, "gfx/tools/tool%3.3d.bmp", tool);
    load_picture_surface(game.display, holder, path);
}

void copy_keyed(Game& game, int x, int y, const SurfacePtr& picture, const Rect* part) {
    if (picture && game.display.back_buffer)
        surface_copy(*game.display.back_buffer, x, y, *picture, part, true);
}

// The tool's name up to its line end, broken at blanks into lines of at most 90 pixels.
void draw_tool_name(Game& game, int32_t tool) {
    Surface* back = game.display.back_buffer;
    if (back == nullptr || tool < 0) return;
    const ToolName& name = game.records.objects[size_t(tool)].name;
    const std::u16string_view text(name.data(), name.size());
    Font* font = game.app.ui_font;
    const auto lines = wrap_words(text, k_name_width, [font](std::u16string_view run) {
        return text_measure(font, run).width;
    });
    for (size_t k = 0; k < lines.size(); ++k)
        text_draw(font, *back, 510, 24 + 16 * int(k), k_name_colour, lines[k].text);
}

uint32_t add_bytes_saturated(uint32_t a, uint32_t b) {
    uint32_t out = 0;
    for (int s = 0; s < 32; s += 8)
        out |= std::min<uint32_t>(255, ((a >> s) & 0xFF) + ((b >> s) & 0xFF)) << s;
    return out;
}

uint32_t subtract_bytes_saturated(uint32_t a, uint32_t b) {
    uint32_t out = 0;
    for (int s = 0; s < 32; s += 8) {
        const int v = int((a >> s) & 0xFF) - int((b >> s) & 0xFF);
        out |= uint32_t(std::max(0, v)) << s;
    }
    return out;
}

// The glow pulses between a quarter and full brightness, additively over the bar's corner.
void draw_glow(Game& game) {
    Device3D* device = game.display.device.get();
    if (!game.config.hardware_acceleration || device == nullptr) return;
    ToolbarState& t = game.toolbar;
    if (t.glow_falling) {
        t.glow_colour = subtract_bytes_saturated(t.glow_colour, t.glow_step);
        if (t.glow_colour < 0x40404040u) t.glow_falling = 0;
    } else {
        t.glow_colour = add_bytes_saturated(t.glow_colour, t.glow_step);
        if (t.glow_colour == 0xFFFFFFFFu) t.glow_falling = 1;
    }
    const float corners[4][4] = {
        {240, 0, 0, 0}, {240, 400, 0, 1}, {640, 0, 1, 0}, {640, 400, 1, 1}};
    TLVertex q[4];
    for (size_t i = 0; i < 4; ++i)
        q[i] = {corners[i][0], corners[i][1], 0, 1, t.glow_colour, 0xFF000000u,
                corners[i][2], corners[i][3]};
    Device3D& d = *device;
    device_begin_scene(d);
    device_set_texture(d, 0, get_named_texture(game.textures, k_glow_texture));
    device_set_render_state(d, RenderState::alpha_blend_enable, 1);
    device_set_render_state(d, RenderState::src_blend, BLEND_ONE);
    device_set_render_state(d, RenderState::dest_blend, BLEND_ONE);
    device_set_render_state(d, RenderState::z_enable, 0);
    device_draw_primitive(d, Primitive::triangle_strip, k_fvf_textured, q, 4);
    device_set_render_state(d, RenderState::alpha_blend_enable, 0);
    device_set_render_state(d, RenderState::z_enable, 1);
    device_end_scene(d);
}

// The left button on the bar: an arrow drops the held tool and scrolls, the shown tool is taken.
void press_toolbar_buttons(Game& game) {
    ToolbarState& t = game.toolbar;
    FrameState& f = game.frame;
    if (f.LeftKey || !left_down(game)) return;
    if (inside(game, 376, 217, 401, 245)) {
        game.story.active_tool = -1;
        f.LeftKey = 1;
        t.toolbar_scroll = 2;
        play_sound(game.sound, k_sound_previous, 0, 0, 0);
    } else if (inside(game, 502, 216, 527, 241)) {
        game.story.active_tool = -1;
        f.LeftKey = 1;
        t.toolbar_scroll = 1;
        play_sound(game.sound, k_sound_next, 0, 0, 0);
    } else if (inside(game, 418, 204, 480, 266)) {
        f.LeftKey = 1;
        game.story.active_tool = t.current_tool;
        play_sound(game.sound, k_sound_tool_click, 0, 0, 0);
    }
}

void draw_open_toolbar(Game& game) {
    ToolbarState& t = game.toolbar;
    const InterfaceAssets& ui = game.ui;
    copy_keyed(game, 240, 0, ui.toolbar, nullptr);
    t.toolbar_scroll = 0;
    press_toolbar_buttons(game);
    if (!left_down(game)) game.frame.LeftKey = 0;
    t.current_tool = draw_toolbar_tool(game, t.current_tool, t.toolbar_scroll);
    const Rect next = t.toolbar_scroll == 1 ? Rect{0, 38, 48, 76} : Rect{0, 0, 48, 38};
    const Rect previous = t.toolbar_scroll == 2 ? Rect{0, 114, 48, 152} : Rect{0, 76, 48, 114};
    copy_keyed(game, 500, 212, ui.toolbar_button, &next);
    copy_keyed(game, 356, 212, ui.toolbar_button, &previous);
    draw_glow(game);
}

// The first tool in table order that was just taken shows its icon for 99 passes.
void draw_new_tool_notice(Game& game) {
    ToolbarState& t = game.toolbar;
    for (size_t n = 0; n < k_object_count; ++n) {
        SceneObject& o = game.records.objects[n];
        if (o.state < 1 || o.state >= k_owned) continue;
        if (o.state == 1 || !t.notice_picture) {
            play_sound(game.sound, k_sound_new_tool, 0, 0, 0);
            load_tool_picture(game, t.notice_picture, int32_t(n));
        }
        ++o.state;
        copy_keyed(game, 0, 0, game.ui.toolbar_frame, nullptr);
        copy_keyed(game, 22, 22, t.notice_picture, &k_icon);
        return;
    }
}

void draw_held_tool(Game& game) {
    ToolbarState& t = game.toolbar;
    const int32_t tool = game.story.active_tool;
    if (!tool_held(tool)) return;
    if (!t.tool_picture) load_tool_picture(game, t.tool_picture, tool);
    copy_keyed(game, 532, 372, game.ui.toolbar_frame, nullptr);
    copy_keyed(game, 554, 394, t.tool_picture, &k_icon);
}

} // namespace

int32_t next_owned_tool(const Game& game, int32_t tool, int32_t direction) {
    if (direction == 1) {
        for (int32_t n = std::max(tool + 1, 0); n < k_object_count; ++n)
            if (owned(game, n)) return n;
    } else if (direction == 2) {
        for (int32_t n = std::min(tool - 1, k_object_count - 1); n >= 0; --n)
            if (owned(game, n)) return n;
    }
    return -1;
}

int32_t draw_toolbar_tool(Game& game, int32_t shown, int32_t scroll) {
    ToolbarState& t = game.toolbar;
    int32_t d;
    if (scroll == 1 || scroll == 2) {
        d = next_owned_tool(game, shown, scroll);
        if (d == -1) d = owned(game, shown) ? shown : -1;
    } else if (shown != -1 && owned(game, shown)) {
        d = shown;
    } else {
        d = next_owned_tool(game, shown, 1);
        if (d == -1) d = next_owned_tool(game, shown, 2);
    }
    // With nothing to show there is no picture to load and no name to copy, even while a tool is
    // held (a tool the scene has consumed but the hand still names).
    if (d != -1) {
        if (d != shown || !t.tool_picture) load_tool_picture(game, t.tool_picture, d);
        copy_keyed(game, 407, 187, t.tool_picture, &k_large_image);
        draw_tool_name(game, d);
    }
    return d;
}

void draw_tool_overlays(Game& game) {
    if (game.app.Minigame != 0) return;
    if (game.toolbar.toolbar_open) draw_open_toolbar(game);
    draw_new_tool_notice(game);
    draw_held_tool(game);
}
