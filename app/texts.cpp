// The subtitle of the spoken line on its panel and frame, the line's countdown, and the caption
// beside the exit cursor.
#include <algorithm>
#include <array>
#include <string_view>

#include "app/cursor.h"
#include "app/game.h"
#include "app/word_wrap.h"
#include "platform/text.h"

namespace {

constexpr int k_subtitle_width = 492;
constexpr int k_caption_width = 128;
constexpr int k_line_height = 16;
constexpr uint32_t k_subtitle_colour = 0xBF9E30; // red 191, green 158, blue 48
constexpr uint32_t k_caption_colour = 0xFFFFFF;
constexpr uint32_t k_panel_colour = 0x7F000000; // black, half transparent

std::vector<WrappedLine> wrap(Game& game, std::u16string_view text, int limit) {
    Font* font = game.app.ui_font;
    return wrap_words(text, limit,
                      [font](std::u16string_view s) { return text_measure(font, s).width; });
}

std::u16string_view subtitle(const TextState& t) {
    const size_t n =
        std::clamp<size_t>(size_t(std::max(t.subtitle_length, 0)), 0, t.subtitle_text.size());
    return {t.subtitle_text.data(), n};
}

// The half-transparent panel behind n lines, drawn by the 3D device in a scene of its own.
void draw_panel(Device3D& d, int n) {
    const float top = float(463 - k_line_height * n);
    std::array<TLVertex, 4> q;
    const float corners[4][2] = {{10, top}, {10, 475}, {520, top}, {520, 475}};
    for (size_t i = 0; i < 4; ++i)
        q[i] = {corners[i][0], corners[i][1], 1.0f, 0.5f, k_panel_colour, 0xFF000000u, 0, 0};
    device_begin_scene(d);
    device_set_texture(d, 0, nullptr);
    device_set_render_state(d, RenderState::z_enable, 0);
    device_set_render_state(d, RenderState::alpha_blend_enable, 1);
    device_set_render_state(d, RenderState::src_blend, BLEND_SRCALPHA);
    device_set_render_state(d, RenderState::dest_blend, BLEND_INVSRCALPHA);
    device_draw_primitive(d, Primitive::triangle_strip, k_fvf_coloured, q.data(), 4);
    device_set_render_state(d, RenderState::alpha_blend_enable, 0);
    device_set_render_state(d, RenderState::z_enable, 1);
    device_end_scene(d);
}

void draw_subtitle_lines(Game& game, Surface& back, const std::vector<WrappedLine>& lines) {
    const int n = int(lines.size());
    for (int k = 0; k < n; ++k)
        text_draw(game.app.ui_font, back, 22, k_line_height * (29 - n + k), k_subtitle_colour,
                  lines[size_t(k)].text);
}

// The line goes on while its voice plays, or without sound for its countdown; then the subtitle
// goes and the voice stops.
void count_down_the_line(Game& game) {
    TextState& t = game.text;
    if (t.speech_countdown == -1) {
        stop_voice(game);
        return;
    }
    speech_step(game);
    if (t.speech_countdown < 1) {
        t.speech_countdown = 0;
        t.subtitle_length = 0;
        stop_voice(game);
    }
}

// Beside the exit cursor: the name of the place the exit leads to, kept on the screen.
void draw_exit_caption(Game& game, Surface& back) {
    const int32_t exit = game.cursor.hover_exit;
    if (game.cursor.cursor_kind != 4 || exit < 0 || exit >= k_exit_count) return;
    load_zone_caption(game, game.records.exits[size_t(exit)].destination);
    const TextState& t = game.text;
    const size_t length = size_t(std::clamp(t.caption_length, 0, int32_t(t.caption_text.size())));
    const auto lines = wrap(game, {t.caption_text.data(), length}, k_caption_width);
    if (lines.empty()) return;
    const int m = int(lines.size());
    int w = 0;
    for (const WrappedLine& l : lines) w = std::max(w, l.width);
    const int mx = game.input.mouse_x, my = game.input.mouse_y;
    const int centre = std::max(w / 2, std::min(mx, 640 - w / 2));
    const int y0 = k_line_height * m + my + 20 > 480 ? 460 - k_line_height * m : my;
    for (int k = 0; k < m; ++k) {
        const WrappedLine& l = lines[size_t(k)];
        text_draw(game.app.ui_font, back, (k_caption_width - l.width) / 2 + centre - 64,
                  y0 + k_line_height * (k + 1), k_caption_colour, l.text);
    }
}

// The frame round the subtitle: its top, n - 1 middle pieces and its bottom.
void draw_subtitle_frame(Game& game, Surface& back, int n) {
    const InterfaceAssets& ui = game.ui;
    if (ui.frame_up) surface_copy(back, 0, 447 - k_line_height * n, *ui.frame_up, nullptr, true);
    if (ui.frame_down) surface_copy(back, 0, 459, *ui.frame_down, nullptr, true);
    if (!ui.frame_mid) return;
    for (int i = 0; i + 1 < n; ++i)
        surface_copy(back, 0, 475 - k_line_height * n + k_line_height * i, *ui.frame_mid, nullptr,
                     true);
}

} // namespace

void draw_texts(Game& game) {
    Surface* back = game.display.back_buffer;
    const TextState& t = game.text;
    const bool shown = game.config.subtitles && t.subtitle_length != 0;
    const std::vector<WrappedLine> lines =
        shown ? wrap(game, subtitle(t), k_subtitle_width) : std::vector<WrappedLine>{};
    const int n = int(lines.size());
    DisplayDevice& dev = game.display;
    if (shown && t.speech_countdown != 0 && game.config.hardware_acceleration && dev.device)
        draw_panel(*dev.device, n);
    if (back) draw_subtitle_lines(game, *back, lines);
    count_down_the_line(game);
    if (back) draw_exit_caption(game, *back);
    if (game.config.subtitles && game.text.subtitle_length != 0 && back)
        draw_subtitle_frame(game, *back, n);
}
