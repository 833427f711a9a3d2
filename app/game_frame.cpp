#include "app/game_frame.h"

#include "app/game.h"
#include "app/game_effects.h"
#include "app/game_render.h"
#include "app/video_playback.h"
#include "render/shadows.h"
#include "resources/picture.h"
#include "scenes/puzzle.h"
#include "scenes/scene_change.h"
#include "scenes/scene_routines.h"

namespace {

bool left_down(const Game& game) {
    return (game.input.mouse_buttons[0] & 0x80) != 0;
}

bool right_down(const Game& game) {
    return (game.input.mouse_buttons[1] & 0x80) != 0;
}

bool hardware(const Game& game) {
    return game.config.hardware_acceleration && game.display.device;
}

bool surface_gone(Result r) {
    return r == Result::surface_lost || r == Result::surface_busy;
}

// After the display surfaces were lost: make them usable, put back what they held that no pass
// redraws (the scene picture and depth), and load every picture again, since a restored surface
// comes back empty.
void recover_surfaces(Game& game) {
    DisplayDevice& dev = game.display;
    display_restore_all_surfaces(dev.display);
    if (dev.background_surface && dev.background_pristine)
        surface_copy(*dev.background_surface, 0, 0, *dev.background_pristine, nullptr, false);
    if (hardware(game) && dev.scene_depth_surface && dev.spare_depth_surface)
        surface_copy(*dev.scene_depth_surface, 0, 0, *dev.spare_depth_surface, nullptr, false);
    reload_interface_assets(game);
    reload_scene_pictures(game);
}

// The scene picture with its strips and objects; false when a surface was lost.
bool draw_scene_picture(Game& game) {
    DisplayDevice& dev = game.display;
    if (game.app.Minigame == 1) {
        surface_fill(*dev.back_buffer, nullptr, 0);
        return true;
    }
    if (game.app.Minigame != 0) return true;
    if (dev.background_surface &&
        surface_gone(surface_copy(*dev.back_buffer, 0, 0, *dev.background_surface, nullptr, false)))
        return false;
    play_strips(game);
    for (SceneObject& o : game.records.objects) {
        if (!o.visible || o.scene != game.story.current_scene || !o.picture) continue;
        const Rect source{0, 0, o.width, o.height};
        surface_copy(*dev.back_buffer, o.x, o.y, *o.picture, &source, false);
    }
    return true;
}

DirtyBuffers dirty_buffers(Game& game) {
    SceneBuffers& b = game.scene_buffers;
    return {b.scene_picture_rgb32, b.scene_picture_work, b.scene_depth16,
            game.draw.scene_depth16_copy};
}

void begin_drawing(Game& game) {
    if (hardware(game)) {
        device_begin_scene(*game.display.device);
        return;
    }
    if (game.app.Minigame == 2) return;
    LockedRect lock;
    if (surface_lock(*game.display.back_buffer, lock) != Result::ok) return;
    game.frame.locked_bits = lock.bits;
    game.frame.locked_pitch = lock.pitch;
    present_dirty_rects(game.draw.dirty_rects, dirty_buffers(game), lock.bits, lock.pitch,
                        game.display.display_bpp);
    restore_dirty_rects(game.draw.dirty_rects, dirty_buffers(game));
}

void end_drawing(Game& game) {
    if (hardware(game)) {
        device_end_scene(*game.display.device);
        return;
    }
    if (game.frame.locked_bits == nullptr) return;
    surface_unlock(*game.display.back_buffer);
    game.frame.locked_bits = nullptr;
    game.frame.locked_pitch = 0;
}

// Scene play: the scene logic and the characters' sound events. While the inventory bar is open
// the scene runs with the left button hidden, so clicks reach only the bar.
void run_scene_mode(Game& game) {
    const bool bar_open = game.toolbar.toolbar_open != 0;
    const uint8_t saved_button = game.input.mouse_buttons[0];
    const int32_t saved_latch = game.frame.LeftKey;
    if (bar_open) game.input.mouse_buttons[0] = 0;
    run_scene_logic(game);
    play_anim_sound_events(game.actors, game.sound, game.camera);
    left_click_edge(game);
    if (bar_open) {
        game.input.mouse_buttons[0] = saved_button;
        game.frame.LeftKey = saved_latch;
    }
}

void run_mode_step(Game& game) {
    switch (game.app.Minigame) {
    case 0:
        run_scene_mode(game);
        return;
    case 1:
        if (puzzle_step(game)) game.app.Minigame = 0;
        break;
    default:
        video_step(game);
        break;
    }
    left_click_edge(game);
}

void darken_stencil_shadows(Game& game) {
    if (!hardware(game) || game.config.stencil_shadows != 4 || game.app.Minigame != 0 ||
        game.display.stencil_bits == 0)
        return;
    draw_shadow_darkening(*game.display.device);
}

void smooth_characters(Game& game) {
    DisplayDevice& dev = game.display;
    if (!dev.background_copy) return;
    const SmoothReference ref{game.scene_buffers.scene_picture_work,
                              game.scene_buffers.scene_picture_16};
    smooth_outlines(game.draw.smooth_rects, game.config.smoothing, dev.display_bpp,
                    *dev.back_buffer, *dev.background_copy, ref);
}

void draw_closeup(Game& game) {
    FrameState& f = game.frame;
    if (!f.closeup_active || !f.closeup_picture) return;
    Surface& picture = *f.closeup_picture;
    const int w = picture.width, h = picture.height;
    if (w > 640 || h > 480) return;
    surface_copy(*game.display.back_buffer, (640 - w) / 2, (480 - h) / 2, picture, nullptr, false);
}

void finish_pass(Game& game, uint32_t start_ms) {
    flip_frame(game);
    pace_pass(start_ms, game.app.Minigame == 2 ? 10 : 32);
}

} // namespace

void flip_frame(Game& game) {
    DisplayDevice& dev = game.display;
    for (;;) {
        const Result r = display_flip(dev.display);
        if (r == Result::still_drawing) continue;
        if (r == Result::surface_lost && dev.primary_surface) surface_restore(*dev.primary_surface);
        return;
    }
}

void pace_pass(uint32_t start_ms, uint32_t min_ms) {
    sys_wait_until(start_ms + min_ms);
}

void left_click_edge(Game& game) {
    if (!left_down(game)) {
        game.frame.LeftKey = 0;
    } else if (!game.frame.LeftKey) {
        stop_voice(game);
        game.frame.LeftKey = 1;
    }
}

void right_click_edge(Game& game) {
    FrameState& f = game.frame;
    if (!right_down(game)) {
        f.right_latch = 0;
        return;
    }
    if (f.right_latch) return;
    f.right_latch = 1;
    if (game.toolbar.toolbar_open) {
        game.toolbar.toolbar_open = 0;
    } else if (tool_held(game.story.active_tool)) {
        game.story.active_tool = -1;
        play_sound(game.sound, k_sound_drop_tool, 0, 0, 0);
    } else if (game.story.current_scene != k_choice_scene) {
        game.toolbar.toolbar_open = 1;
        play_sound(game.sound, k_sound_open_toolbar, -500, 0, 0);
    }
}

void detect_scene_change(Game& game) {
    StoryState& s = game.story;
    if (s.current_scene == game.frame.scene_at_frame_start || s.current_scene == -1) return;
    s.next_scene = s.current_scene;
    s.current_scene = game.frame.scene_at_frame_start;
    game.frame.fade_state = -1;
}

void run_game_frame(Game& game) {
    FrameState& f = game.frame;
    DisplayDevice& dev = game.display;
    game.camera.view_projection = multiply(game.camera.view_matrix, game.camera.projection_matrix);
    actors_begin_frame(game.actors);
    const uint32_t start = sys_milliseconds();
    f.frame_start = start * 0.001;
    if (!read_mouse(game)) return;
    if (dev.back_buffer == nullptr) return;

    if (f.fade_state != 0) fade_step(game);
    if (hardware(game) && game.app.Minigame == 0 && dev.depth_buffer && dev.scene_depth_surface &&
        surface_gone(
            surface_copy(*dev.depth_buffer, 0, 0, *dev.scene_depth_surface, nullptr, false))) {
        recover_surfaces(game);
        return finish_pass(game, start);
    }
    f.scene_at_frame_start = game.story.current_scene;
    if (!draw_scene_picture(game)) {
        recover_surfaces(game);
        return finish_pass(game, start);
    }

    begin_drawing(game);
    run_mode_step(game);
    darken_stencil_shadows(game);
    if (game.app.Minigame == 0) run_effects(game);
    f.strip_signal = -1;
    end_drawing(game);
    if (game.app.Minigame == 0) {
        smooth_characters(game);
        run_hot_air(game);
    }

    if (game.app.Minigame == 0) right_click_edge(game);
    draw_closeup(game);
    draw_tool_overlays(game);
    if (game.app.Minigame != 2) draw_cursor(game);
    draw_texts(game);
    detect_scene_change(game);
    finish_pass(game, start);
}
