// A hero for drawing tests, made with the model writer and read back by the model reader: legs,
// body and head as boxes, each its own textured part, with eight frames of a walking bob. Its
// animation table has every state the walking and climbing code plays.
#pragma once

#include <cmath>
#include <cstring>

#include "render/actor.h"
#include "resources/hardware_texture.h"
#include "resources/material.h"
#include "resources/model.h"

inline ModelPartSource hero_box(uint32_t material, Vec3 lo, Vec3 hi, int part) {
    ModelPartSource s;
    s.material = material;
    const Vec3 c{(lo.x + hi.x) / 2, (lo.y + hi.y) / 2, (lo.z + hi.z) / 2};
    for (int i = 0; i < 8; ++i) {
        const Vec3 p{i & 1 ? hi.x : lo.x, i & 2 ? hi.y : lo.y, i & 4 ? hi.z : lo.z};
        s.positions.push_back(p);
        s.normals.push_back(normalise(p - c));
        s.uvs.push_back({i & 1 ? 1.0f : 0.0f, i & 2 ? 1.0f : 0.0f});
    }
    // Faces wound so the device's clockwise culling keeps the outside.
    const uint16_t faces[] = {0, 2, 1, 1, 2, 3, 4, 5, 6, 5, 7, 6, 0, 1, 4, 1, 5, 4,
                              2, 6, 3, 3, 6, 7, 0, 4, 2, 2, 4, 6, 1, 3, 5, 3, 7, 5};
    for (uint16_t f : faces) {
        s.vertex_indices.push_back(f);
        s.uv_indices.push_back(f);
    }
    for (int f = 0; f < 8; ++f) {
        const float phase = float(f) * 0.785398f;
        if (part == 0)
            s.frames.push_back(rotation_x(std::sin(phase) * 0.35f));
        else
            s.frames.push_back(translation(0, std::fabs(std::sin(phase)) * -4.0f, 0));
    }
    return s;
}

inline std::vector<uint8_t> hero_model_file() {
    const std::vector<ModelPartSource> parts{
        hero_box(1, {-20, -80, -12}, {20, 0, 12}, 0),     // legs
        hero_box(2, {-28, -150, -16}, {28, -80, 16}, 1),  // body
        hero_box(3, {-15, -185, -15}, {15, -150, 15}, 1), // head
    };
    return encode_model(parts);
}

// Texture m: stripes of two colours per material.
inline uint32_t hero_texel(int m, int x, int y) {
    static const uint32_t colours[4][2] = {
        {0x404040, 0x606060}, {0x203080, 0x304090}, {0xA03020, 0xC04030}, {0xE0B090, 0xD0A080}};
    return colours[m & 3][((x / 32) + (y / 32)) & 1];
}

inline void setup_hero_materials(MaterialTable& materials, Device3D* device,
                                 HardwareTextures& textures) {
    for (int m = 1; m <= 3; ++m) {
        Material& mat = materials.materials[size_t(m)];
        mat.cull_mode = 1;
        PaletteTexture& t = mat.soft_texture;
        for (int i = 0; i < 2; ++i) {
            const uint32_t c = hero_texel(m, i * 32, 0);
            t.palette[i][0] = uint16_t((c & 0xFF) * 257 / 2);
            t.palette[i][1] = uint16_t(((c >> 8) & 0xFF) * 257 / 2);
            t.palette[i][2] = uint16_t(((c >> 16) & 0xFF) * 257 / 2);
        }
        for (int y = 0; y < 256; ++y)
            for (int x = 0; x < 256; ++x)
                t.indices[size_t(y) * 256 + size_t(x)] = uint8_t(((x / 32) + (y / 32)) & 1);
        if (device == nullptr) continue;
        TexturePtr tex;
        if (texture_create(*device, 256, 256, k_texture_xrgb8888, tex) != Result::ok) continue;
        LockedRect lock;
        texture_lock(*tex, lock);
        for (int y = 0; y < 256; ++y)
            for (int x = 0; x < 256; ++x) {
                const uint32_t v = hero_texel(m, x, y);
                std::memcpy(lock.bits + y * lock.pitch + x * 4, &v, 4);
            }
        texture_unlock(*tex);
        textures.texture_table[size_t(m)] = std::move(tex);
    }
}

// The hero's record: model, speeds, shadow, circle and animation table.
inline void setup_hero(Actor& a, int /*hero*/, bool software = false) {
    actor_reset(a);
    const auto file = hero_model_file();
    decode_model(file, 1.0f, !software, a.model);
    a.part_count = a.model.part_count;
    a.scale = {0.5f, 0.5f, 0.5f};
    a.walk_speed = 0.6f;
    a.run_speed = 1.2f;
    a.may_run = 1;
    a.shadow_kind = 1;
    a.collision_radius_sq = 4;
    a.final_heading = 10;
    const auto entry = [&](int state, float first, float last, float loop_to, float step, int next,
                           float move = 0, float rise = 0) {
        a.anims[size_t(state)] = {first, last, loop_to, step, next, {}, move, rise};
    };
    entry(0, 0, 7, 0, 0.25f, 0);
    entry(k_state_walk, 0, 7, 0, 1, 0);
    entry(k_state_run, 0, 7, 2, 1, 0);
    entry(k_state_turn_up, 0, 7, k_no_loop, 1, 0);
    entry(k_state_turn_down, 0, 7, k_no_loop, 1, 0);
    entry(k_state_climb_up_start, 0, 7, k_no_loop, 1, k_state_climb_up_step, 0.3f, -0.25f);
    entry(k_state_climb_up_step, 0, 7, 0, 1, 0, 0.3f, -0.25f);
    entry(k_state_climb_up_end_odd, 0, 3, k_no_loop, 1, 0, 0.3f, -0.1f);
    entry(k_state_climb_up_end_even, 0, 3, k_no_loop, 1, 0, 0.3f, -0.1f);
    entry(k_state_climb_down_start, 0, 7, 2, 1, 0, 0.3f, 0.25f);
    entry(k_state_climb_down_end_odd, 0, 3, k_no_loop, 1, 0, 0.3f, 0.1f);
    entry(k_state_climb_down_end_even, 0, 3, k_no_loop, 1, 0, 0.3f, 0.1f);
}
