#include "scenes/puzzle.h"

#include <cmath>
#include <cstdio>
#include <numbers>

#include "app/game.h"
#include "platform/device3d.h"
#include "render/software_raster.h"
#include "resources/hardware_texture.h"
#include "resources/material.h"

namespace {

constexpr float k_pi = std::numbers::pi_v<float>;
constexpr float k_two_pi = 2 * k_pi;
constexpr float k_turning = 0.1f;
constexpr int32_t k_spacing = 128, k_solved_spacing = 96;
constexpr uint32_t k_white = 0xFFFFFFFFu;
constexpr uint32_t k_green = 0xFF00FF00u; // the selected tile
constexpr uint32_t k_red = 0xFFFF0000u;   // the tile under the cursor
constexpr float k_half_side = 96;

bool hardware(const Game& game) {
    return game.config.hardware_acceleration && game.display.device;
}

float random_unit(Game& game) {
    return static_cast<float>(random_next(game.random)) / 32767.0f;
}

// Piece k's picture: its row and column (1..3) as two digits.
void load_tile_picture(Game& game, int k) {
    const int rc = (k / 3 + 1) * 10 + k % 3 + 1;
    char path[40];
    const int entry = k_puzzle_first_texture + k;
    if (hardware(game)) {
        std::snprintf(path, sizeof path, "textures/puzzl/%d.tga", rc);
        load_texture_file(game.textures, game.display.device.get(), path, entry);
    } else {
        std::snprintf(path, sizeof path, "textures/puzzl/256/%d.bmp", rc);
        load_software_texture(game.materials, entry, path, 1);
    }
}

// A turning tile stops on the quarter turn it reaches.
void turn(PuzzleTile& t) {
    t.angle += t.spin;
    if (t.angle > k_two_pi) t.angle -= k_two_pi;
    for (const float quarter : {k_two_pi, k_pi / 2, k_pi, 3 * k_pi / 2}) {
        if (quarter - k_turning < t.angle && t.angle <= quarter) {
            t.angle = quarter == k_two_pi ? 0 : quarter;
            t.spin = 0;
        }
    }
}

// The tile's square, turned about its cell's centre, as a four-corner strip.
std::array<TLVertex, 4> tile_quad(const PuzzleState& p, const PuzzleTile& t, uint32_t colour,
                                  bool fixed_point) {
    const float cx = 320.0f + float(p.puzzle_spacing * (t.column - 1));
    const float cy = 240.0f + float(p.puzzle_spacing * (t.row - 1));
    const float c = std::cos(t.angle), s = std::sin(t.angle);
    const float low = fixed_point ? 0.0f : 0.01f, high = fixed_point ? 65535.0f : 0.99f;
    const float corners[4][4] = {{-k_half_side, -k_half_side, low, low},
                                 {-k_half_side, k_half_side, low, high},
                                 {k_half_side, -k_half_side, high, low},
                                 {k_half_side, k_half_side, high, high}};
    std::array<TLVertex, 4> q;
    for (size_t i = 0; i < 4; ++i) {
        const float x = corners[i][0], y = corners[i][1];
        q[i] = {cx + x * c - y * s, cy + x * s + y * c, 0, 0.5f, colour, 0xFF000000u,
                corners[i][2],      corners[i][3]};
    }
    return q;
}

void draw_tile_device(Game& game, int k, const std::array<TLVertex, 4>& q) {
    Device3D& d = *game.display.device;
    device_set_texture(d, 0, game.textures.texture_table[size_t(k_puzzle_first_texture + k)]);
    device_draw_primitive(d, Primitive::triangle_strip, k_fvf_textured, q.data(), 4);
}

void draw_tile_software(Game& game, int k, const std::array<TLVertex, 4>& q) {
    if (game.frame.locked_bits == nullptr) return;
    SoftwareRaster& r = *game.draw.raster;
    r.texture = &game.materials.materials[size_t(k_puzzle_first_texture + k)].soft_texture;
    std::array<ScreenVertex, 4> v;
    for (size_t i = 0; i < 4; ++i)
        v[i] = {q[i].x, q[i].y, q[i].z, q[i].rhw, q[i].diffuse, q[i].specular, q[i].u, q[i].v};
    const SoftwareTargets t{game.frame.locked_bits, game.frame.locked_pitch,
                            game.display.display_bpp, game.scene_buffers.scene_depth16,
                            game.scene_buffers.scene_picture_rgb32};
    draw_textured_strip_software(r, t, v);
}

void set_tile_states(Device3D& d, bool on) {
    device_set_render_state(d, RenderState::alpha_test_enable, on ? 1 : 0);
    device_set_render_state(d, RenderState::z_enable, on ? 0 : 1);
    device_set_render_state(d, RenderState::cull_mode, on ? CULL_NONE : CULL_CW);
    if (!on) return;
    device_set_texture_stage_state(d, 0, StageState::alpha_op, TOP_SELECTARG1);
    device_set_texture_stage_state(d, 0, StageState::alpha_arg1, TA_TEXTURE);
    device_set_render_state(d, RenderState::alpha_ref, 1);
    device_set_render_state(d, RenderState::alpha_func, CMP_GREATEREQUAL);
}

PuzzleTile* tile_at(PuzzleState& p, int32_t column, int32_t row) {
    for (PuzzleTile& t : p.puzzle_tiles)
        if (t.column == column && t.row == row) return &t;
    return nullptr;
}

void handle_input(Game& game, const std::array<int32_t, 2>& hovered) {
    PuzzleState& p = game.puzzle;
    const bool over_cell = hovered[0] != -1 && hovered[1] != -1;
    if ((game.input.mouse_buttons[1] & 0x80) && over_cell)
        if (PuzzleTile* t = tile_at(p, hovered[0], hovered[1])) t->spin = k_turning;
    if (!(game.input.mouse_buttons[0] & 0x80) || game.frame.LeftKey) return;
    game.frame.LeftKey = 1;
    if (p.selected_column == -1) {
        if (!over_cell) return;
        if (PuzzleTile* t = tile_at(p, hovered[0], hovered[1])) t->colour = k_green;
        p.selected_column = hovered[0];
        p.selected_row = hovered[1];
        return;
    }
    if (!over_cell) return;
    PuzzleTile* selected = tile_at(p, p.selected_column, p.selected_row);
    PuzzleTile* there = tile_at(p, hovered[0], hovered[1]);
    if (there) {
        there->column = p.selected_column;
        there->row = p.selected_row;
        there->colour = k_white;
    }
    if (selected) {
        selected->column = hovered[0];
        selected->row = hovered[1];
        selected->colour = k_white;
    }
    p.selected_column = p.selected_row = -1;
}

} // namespace

std::array<int32_t, 2> puzzle_cell_at(int x, int y) {
    std::array<int32_t, 2> cell{-1, -1};
    for (int n = 0; n < 3; ++n) {
        if (96 + 128 * n < x && x < 288 + 128 * n) cell[0] = n;
        if (16 + 128 * n < y && y < 208 + 128 * n) cell[1] = n;
    }
    if (cell[0] == -1 || cell[1] == -1) return {-1, -1};
    return cell;
}

bool puzzle_solved(const PuzzleState& p) {
    const float angle = p.puzzle_tiles[0].angle;
    int quarter = -1;
    for (int q = 0; q < 4; ++q)
        if (angle == q * k_pi / 2) quarter = q;
    if (quarter == -1) return false;
    for (int k = 0; k < k_puzzle_tiles; ++k) {
        const PuzzleTile& t = p.puzzle_tiles[size_t(k)];
        const int m = k / 3, j = k % 3;
        const int place[4][2] = {{j, m}, {m, 2 - j}, {2 - j, 2 - m}, {2 - m, j}};
        if (t.angle != angle || t.column != place[quarter][0] || t.row != place[quarter][1])
            return false;
    }
    return true;
}

void puzzle_setup(Game& game) {
    PuzzleState& p = game.puzzle;
    p.selected_column = p.selected_row = -1;
    p.puzzle_spacing = k_spacing;
    p.puzzle_countdown = 128;
    for (int k = 0; k < k_puzzle_tiles; ++k) {
        PuzzleTile& t = p.puzzle_tiles[size_t(k)];
        t.angle = random_unit(game) * k_pi;
        t.spin = k_turning;
        t.column = k / 3; // the transposed layout
        t.row = k % 3;
        t.colour = k_white;
        load_tile_picture(game, k);
    }
}

bool puzzle_step(Game& game) {
    PuzzleState& p = game.puzzle;
    const auto hovered = puzzle_cell_at(game.input.mouse_x, game.input.mouse_y);
    const bool device = hardware(game);
    if (device) set_tile_states(*game.display.device, true);
    for (int k = 0; k < k_puzzle_tiles; ++k) {
        PuzzleTile& t = p.puzzle_tiles[size_t(k)];
        turn(t);
        const bool selected = t.column == p.selected_column && t.row == p.selected_row;
        const bool under_cursor = t.column == hovered[0] && t.row == hovered[1];
        const auto quad = tile_quad(p, t, under_cursor && !selected ? k_red : t.colour, !device);
        if (device)
            draw_tile_device(game, k, quad);
        else
            draw_tile_software(game, k, quad);
    }
    if (device) set_tile_states(*game.display.device, false);
    if (p.puzzle_spacing == k_spacing) handle_input(game, hovered);
    if (puzzle_solved(p) && p.puzzle_spacing >= k_solved_spacing + 1) --p.puzzle_spacing;
    if (p.puzzle_spacing != k_solved_spacing) return false;
    return --p.puzzle_countdown == 0;
}
