// The triangle functions specialised for the game's feature sets draw exactly what the generic
// one, which reads the features at run time, draws: same colours, same depth and stencil.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/device3d_pixel.h"
#include "tests/platform/device_rig.h"

namespace {

// Small triangles of a few pixels (most of a character), some large ones and some slivers
// reaching off the target (whose colours change steeply across them), over a depth picture
// they are partly behind, with colours, fog and reciprocal w varying as asked.
std::vector<TLVertex> mesh(bool gouraud, bool perspective) {
    uint32_t seed = 12345;
    auto next = [&seed](int range) {
        seed = seed * 1103515245u + 12345u;
        return static_cast<int>((seed >> 8) % static_cast<uint32_t>(range));
    };
    std::vector<TLVertex> out;
    for (int i = 0; i < 1600; ++i) {
        const bool large = i % 40 == 0;
        const float cx = static_cast<float>(next(7000)) / 100 - 3;
        const float cy = static_cast<float>(next(7000)) / 100 - 3;
        const float size = large ? 30.0f : 6.0f;
        const bool sliver = i % 50 == 7;
        for (int k = 0; k < 3; ++k) {
            float x = cx + static_cast<float>(next(1000)) / 1000 * size;
            float y = cy + static_cast<float>(next(1000)) / 1000 * size;
            if (sliver && k == 2) {
                x = cx + 3000.0f * static_cast<float>(next(3) - 1);
                y = cy + 0.3f + static_cast<float>(next(200)) / 100;
            }
            const auto grey = static_cast<uint32_t>(gouraud ? 40 + next(200) : 150);
            const auto alpha = static_cast<uint32_t>(gouraud ? next(256) : 0x7F);
            const auto fog = static_cast<uint32_t>(gouraud ? 100 + next(156) : 200);
            const float rhw = perspective ? 0.25f + static_cast<float>(next(100)) / 100 : 0.5f;
            out.push_back(vertex(x, y, static_cast<float>(next(700)) / 1000,
                                 alpha << 24 | grey << 16 | (grey / 2) << 8 | (255 - grey),
                                 static_cast<float>(next(300)) / 100,
                                 static_cast<float>(next(300)) / 100, rhw, fog << 24));
        }
    }
    return out;
}

struct Picture {
    std::vector<uint8_t> colour, depth;
};

// Draw `v` over the same starting picture with the functions the device picks, or with the
// generic one everywhere; `specialised` tells whether the pick for this mesh was specialised.
Picture draw(DeviceRig& rig, const std::vector<TLVertex>& v, bool persp, bool gouraud, bool generic,
             bool& specialised) {
    for (int y = 0; y < rig.target->height; ++y)
        for (int x = 0; x < rig.target->width; ++x) {
            surface_set_pixel(*rig.target, x, y, static_cast<uint32_t>(x * 0x030507 + y * 0x0B0D));
            // Depth rising to the right in either format, stencil counts 0..3.
            const auto z = static_cast<uint32_t>(x * 800 + y * 50);
            surface_set_pixel(*rig.depth, x, y,
                              rig.depth->format.bit_count == 32 ? z << 16 | ((x + y) & 3) : z);
        }
    Raster r;
    EXPECT_EQ(raster_prepare(rig.dev(), r), Result::ok);
    specialised = r.triangle[persp][gouraud] != raster::generic_triangle_function();
    if (generic)
        for (auto& by_persp : r.triangle)
            for (TriangleFn& fn : by_persp) fn = raster::generic_triangle_function();
    for (size_t i = 0; i + 2 < v.size(); i += 3) {
        RasterVertex c[3];
        std::memcpy(c, &v[i], sizeof c);
        raster_triangle(r, c[0], c[1], c[2], c[0]);
    }
    return {rig.target->pixels, rig.depth->pixels};
}

// The states of each family of specialised functions.
enum Family {
    k_character,
    k_stencil_character,
    k_blob,
    k_volume,
    k_quad,
    k_darkening,
    k_flame,
    k_glow
};

void set_family(DeviceRig& rig, Family family, bool fog, const TexturePtr& texture) {
    rig.states({{RenderState::z_enable, 1}, {RenderState::cull_mode, CULL_NONE}});
    rig.stage(StageState::min_filter, TEXF_LINEAR);
    rig.stage(StageState::mag_filter, TEXF_LINEAR);
    switch (family) {
    case k_stencil_character:
        rig.states({{RenderState::stencil_enable, 1},
                    {RenderState::stencil_func, CMP_ALWAYS},
                    {RenderState::stencil_pass, STENCILOP_ZERO}});
        [[fallthrough]];
    case k_character:
        device_set_texture(rig.dev(), 0, texture);
        rig.stage(StageState::color_op, TOP_MODULATE);
        rig.stage(StageState::color_arg1, TA_TEXTURE);
        rig.stage(StageState::color_arg2, TA_DIFFUSE);
        rig.states({{RenderState::fog_enable, fog ? 1u : 0u}, {RenderState::fog_color, 0x8090A0}});
        break;
    case k_blob:
        device_set_texture(rig.dev(), 0, texture);
        rig.stage(StageState::color_op, TOP_SELECTARG1);
        rig.stage(StageState::color_arg1, TA_TEXTURE);
        rig.states({{RenderState::z_write_enable, 0},
                    {RenderState::alpha_blend_enable, 1},
                    {RenderState::src_blend, BLEND_ZERO},
                    {RenderState::dest_blend, BLEND_INVSRCCOLOR}});
        break;
    case k_volume:
        rig.states({{RenderState::z_write_enable, 0},
                    {RenderState::stencil_enable, 1},
                    {RenderState::stencil_ref, 1},
                    {RenderState::stencil_func, CMP_ALWAYS},
                    {RenderState::stencil_pass, STENCILOP_INCRSAT},
                    {RenderState::alpha_blend_enable, 1},
                    {RenderState::src_blend, BLEND_ZERO},
                    {RenderState::dest_blend, BLEND_ONE}});
        break;
    case k_glow:
        rig.state(RenderState::z_enable, 0);
        [[fallthrough]];
    case k_flame:
        device_set_texture(rig.dev(), 0, texture);
        rig.stage(StageState::color_op, TOP_MODULATE);
        rig.stage(StageState::color_arg1, TA_TEXTURE);
        rig.stage(StageState::color_arg2, TA_DIFFUSE);
        rig.states({{RenderState::z_write_enable, 0},
                    {RenderState::alpha_blend_enable, 1},
                    {RenderState::src_blend, BLEND_ONE},
                    {RenderState::dest_blend, BLEND_ONE}});
        break;
    case k_darkening:
        rig.states({{RenderState::stencil_enable, 1},
                    {RenderState::stencil_ref, 0},
                    {RenderState::stencil_func, CMP_NOTEQUAL},
                    {RenderState::stencil_pass, STENCILOP_ZERO}});
        [[fallthrough]];
    case k_quad:
        rig.states({{RenderState::z_enable, 0},
                    {RenderState::alpha_blend_enable, 1},
                    {RenderState::src_blend, BLEND_SRCALPHA},
                    {RenderState::dest_blend, BLEND_INVSRCALPHA}});
        break;
    }
}

TEST(Device3DFill, SpecialisedFunctionsDrawWhatTheGenericOneDraws) {
    struct Case {
        Family family;
        const char* name;
        bool has_fog, has_persp, has_gouraud, needs_depth32;
    } cases[] = {
        {k_character, "character", true, true, true, false},
        {k_stencil_character, "stencil-clearing character", true, true, true, true},
        {k_blob, "blob shadow", false, true, false, false},
        {k_volume, "shadow volume", false, false, false, true},
        {k_quad, "blended quad", false, false, false, false},
        {k_darkening, "darkening pass", false, false, false, true},
        {k_flame, "flame", false, false, false, false},
        {k_glow, "glow", false, false, false, false},
    };
    for (const Case& c : cases)
        for (const PixelFormat& target : {k_format_xrgb8888, k_format_rgb565})
            for (const PixelFormat& depth : {k_format_z16, k_format_z24s8})
                for (int variant = 0; variant < 8; ++variant) {
                    const bool fog = variant & 1, persp = variant & 2, gouraud = variant & 4;
                    if ((fog && !c.has_fog) || (persp && !c.has_persp) ||
                        (gouraud && !c.has_gouraud) || (c.needs_depth32 && depth.bit_count != 32))
                        continue;
                    SCOPED_TRACE(testing::Message()
                                 << c.name << ", " << target.bit_count << "-bit target, "
                                 << depth.bit_count << "-bit depth, fog " << fog << ", perspective "
                                 << persp << ", Gouraud " << gouraud);
                    DeviceRig rig(target, depth, 72, 72);
                    // Odd-sized stripes and a checker, so filtering and wrapping show.
                    const TexturePtr texture =
                        make_texture(rig.dev(), 64, 32, k_texture_xrgb8888, [](int x, int y) {
                            return 0xFF000000u | static_cast<uint32_t>(x * 4) << 16 |
                                   static_cast<uint32_t>(y * 8) << 8 |
                                   (((x / 3 + y / 5) % 2) ? 0xE0u : 0x20u);
                        });
                    set_family(rig, c.family, fog, texture);
                    const std::vector<TLVertex> v = mesh(gouraud, persp);
                    bool specialised = false, unused = false;
                    const Picture fast = draw(rig, v, persp, gouraud, false, specialised);
                    const Picture reference = draw(rig, v, persp, gouraud, true, unused);
                    EXPECT_TRUE(specialised);
                    EXPECT_TRUE(fast.colour == reference.colour);
                    EXPECT_TRUE(fast.depth == reference.depth);
                    device_set_texture(rig.dev(), 0, nullptr);
                }
}

} // namespace
