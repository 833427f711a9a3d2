#include "render/model_draw.h"

#include <algorithm>
#include <cmath>
#include <span>
#include <utility>

#include "render/lighting.h"
#include "render/shadows.h"
#include "render/transforms.h"
#include "resources/hardware_texture.h"

namespace {

// The frame matrix drawn for an animation frame: its whole part, within the part's frames.
Matrix frame_matrix(const ModelPart& part, float frame) {
    if (part.frames.empty()) return Matrix::identity();
    const float f =
        (frame == frame) ? std::clamp(frame, 0.0f, float(part.frames.size() - 1)) : 0.0f;
    return part.frames[static_cast<size_t>(f)];
}

void size_work_buffers(ModelPart& part) {
    // A part made in memory (not by the loader) may lack its work buffers.
    if (part.screen_vertices.size() < part.positions.size())
        part.screen_vertices.resize(part.positions.size() + 2);
    if (part.view_normals.size() < part.positions.size())
        part.view_normals.resize(part.positions.size() + 2);
}

void transform_part(ModelPart& part, const Matrix& world, const Matrix& view_projection,
                    bool device) {
    size_work_buffers(part);
    const Matrix m = multiply(world, view_projection);
    transform_normals(part.normals, part.view_normals, m);
    transform_positions(part.positions, part.screen_vertices, m, device);
}

const Material& material_of(const RenderContext& ctx, const ModelPart& part, int32_t base) {
    const auto& table = ctx.materials.materials;
    const int64_t m =
        std::clamp<int64_t>(int64_t(part.header.material) + base, 0, int64_t(table.size()) - 1);
    return table[static_cast<size_t>(m)];
}

TexturePtr hardware_texture_of(const RenderContext& ctx, const ModelPart& part, int32_t base) {
    if (ctx.textures == nullptr) return nullptr;
    const int64_t m = int64_t(part.header.material) + base;
    if (m < 0 || m >= k_texture_count) return nullptr;
    return ctx.textures->texture_table[static_cast<size_t>(m)];
}

struct FloatRect {
    float max_x = 0, max_y = 0, min_x = 639, min_y = 479;
};

void draw_part_device(RenderContext& ctx, const ModelPart& part, FloatRect& rect) {
    const size_t n = part.positions.size();
    for (size_t i = 0; i < n; ++i) {
        const ScreenVertex& v = part.screen_vertices[i];
        rect.max_x = std::max(rect.max_x, v.x);
        rect.min_x = std::min(rect.min_x, v.x);
        rect.max_y = std::max(rect.max_y, v.y);
        rect.min_y = std::min(rect.min_y, v.y);
    }
    auto& list = ctx.state.scratch;
    list.clear();
    const size_t corners = part.vertex_indices.size() / 3 * 3;
    for (size_t t = 0; t < corners; t += 3) {
        TLVertex tri[3];
        bool behind = false;
        for (size_t k = 0; k < 3; ++k) {
            const uint16_t vi = part.vertex_indices[t + k];
            if (vi >= n) return;
            const ScreenVertex& v = part.screen_vertices[vi];
            behind = behind || v.z < 0;
            const size_t ti = t + k < part.uv_indices.size() ? part.uv_indices[t + k] : 0;
            float u = 0, w = 0;
            if (ti < part.uvs.size()) {
                u = part.uvs[ti][0];
                w = part.uvs[ti][1];
            } else if (ti < part.uvs_fixed.size()) {
                u = float(part.uvs_fixed[ti][0]) / 65535.0f;
                w = float(part.uvs_fixed[ti][1]) / 65535.0f;
            }
            tri[k] = {v.x, v.y, v.z, v.rhw, v.colour, v.specular, u, w};
        }
        if (!behind) list.insert(list.end(), tri, tri + 3);
    }
    // One call per part; a part beyond the device's largest call goes in whole-triangle pieces.
    const size_t max_call = size_t(k_max_vertices) / 3 * 3;
    for (size_t start = 0; start < list.size(); start += max_call) {
        const size_t count = std::min(max_call, list.size() - start);
        device_draw_primitive(*ctx.device, Primitive::triangle_list, k_fvf_textured,
                              list.data() + start, int(count));
    }
}

void set_blend_states(Device3D& d, int32_t blend_mode) {
    if (blend_mode == 0) return;
    device_set_render_state(d, RenderState::alpha_blend_enable, 1);
    if (blend_mode == 1) {
        device_set_render_state(d, RenderState::src_blend, BLEND_DESTCOLOR);
        device_set_render_state(d, RenderState::dest_blend, BLEND_SRCCOLOR);
    } else if (blend_mode == 2) {
        device_set_render_state(d, RenderState::src_blend, BLEND_ONE);
        device_set_render_state(d, RenderState::dest_blend, BLEND_ONE);
    }
    device_set_render_state(d, RenderState::z_write_enable, 0);
}

void set_material_states(RenderContext& ctx, const Material& m, TexturePtr texture,
                         bool stencil_zero, const FogResult& fog) {
    Device3D& d = *ctx.device;
    if (m.alpha_test != 0) {
        device_set_texture_stage_state(d, 0, StageState::alpha_arg1, TA_TEXTURE);
        device_set_texture_stage_state(d, 0, StageState::alpha_arg2, TA_DIFFUSE);
        device_set_texture_stage_state(d, 0, StageState::alpha_op, TOP_SELECTARG1);
        device_set_render_state(d, RenderState::alpha_test_enable, 1);
        device_set_render_state(d, RenderState::alpha_ref, 1);
        device_set_render_state(d, RenderState::alpha_func, CMP_GREATEREQUAL);
        device_set_render_state(d, RenderState::alpha_blend_enable, 1);
        device_set_render_state(d, RenderState::src_blend, BLEND_SRCALPHA);
        device_set_render_state(d, RenderState::dest_blend, BLEND_INVSRCALPHA);
    }
    device_set_texture(d, 0, std::move(texture));
    const uint32_t cull = m.cull_mode == 1 ? CULL_CW : m.cull_mode == 2 ? CULL_CCW : CULL_NONE;
    device_set_render_state(d, RenderState::cull_mode, cull);
    if (stencil_zero) {
        device_set_render_state(d, RenderState::stencil_enable, 1);
        device_set_render_state(d, RenderState::stencil_func, CMP_ALWAYS);
        device_set_render_state(d, RenderState::stencil_pass, STENCILOP_ZERO);
    }
    if (fog.fog_used) {
        device_set_render_state(d, RenderState::fog_color, fog.colour & 0x00FFFFFFu);
        device_set_render_state(d, RenderState::fog_enable, 1);
    }
}

// Steps shared by both entries: light, fog, project and draw every part; then the rectangles.
// `parts` false leaves out the part loop alone: the states and the rectangle bookkeeping still
// run, so an object that draws nothing this pass gives up the rectangle it covered.
void draw_parts(RenderContext& ctx, Actor& a, const Vec3& light_point, bool stencil_volumes,
                bool parts = true) {
    Device3D* device = ctx.device;
    FloatRect rect;
    SoftwareRaster& raster = *ctx.state.raster;
    raster.actor.reset();
    if (device != nullptr) set_blend_states(*device, a.blend_mode);
    const bool stencil_zero = ctx.settings.stencil_shadows == 4 && a.shadow_kind == 4;
    const std::span<ModelPart> drawn =
        parts ? std::span<ModelPart>(a.model.parts) : std::span<ModelPart>();
    for (ModelPart& part : drawn) {
        const Material& m = material_of(ctx, part, a.material_base);
        if (a.tint == 0 && m.unlit == 0) {
            light_part(part, ctx.lighting, ctx.camera.view_projection, light_point);
        } else {
            for (ScreenVertex& v : part.screen_vertices) v.colour = a.tint;
        }
        FogResult fog;
        if (ctx.settings.volumetric_fog != 0)
            fog = fog_part(part, ctx.state.fog_volumes, ctx.camera.camera_eye);
        project_in_place(
            std::span<ScreenVertex>(part.screen_vertices.data(), part.positions.size()),
            device == nullptr);
        if (device == nullptr) {
            raster.cull = m.cull_mode;
            raster.texture = &m.soft_texture;
            raster.fog_used = fog.fog_used;
            raster.fog_colour = fog.colour;
            draw_part_software(raster, ctx.soft, part);
            continue;
        }
        set_material_states(ctx, m, hardware_texture_of(ctx, part, a.material_base),
                            stencil_zero && stencil_volumes, fog);
        draw_part_device(ctx, part, rect);
        if (fog.fog_used) device_set_render_state(*device, RenderState::fog_enable, 0);
        if (stencil_zero && stencil_volumes)
            device_set_render_state(*device, RenderState::stencil_enable, 0);
    }
    if (device == nullptr) {
        const TrackedRect now = raster.actor;
        const auto& old = a.draw_rect;
        const std::array<int32_t, 4> margins{
            std::max(0, now.min_x - old[2]), std::max(0, old[0] - now.max_x),
            std::max(0, now.min_y - old[3]), std::max(0, old[1] - now.max_y)};
        a.draw_rect = {now.max_x, now.max_y, now.min_x, now.min_y};
        add_dirty_rect(ctx.state.dirty_rects, now.min_x, now.max_x, now.min_y, now.max_y,
                       k_dirty_depth, ctx.settings.smoothing, margins);
    } else {
        const auto to_int = [](float f) {
            return static_cast<int32_t>(std::lround(std::clamp(f, -1.0e9f, 1.0e9f)));
        };
        a.draw_rect = {to_int(rect.max_x), to_int(rect.max_y), to_int(rect.min_x),
                       to_int(rect.min_y)};
    }
    if (ctx.settings.smoothing != 0 && a.smooth_edges != 0)
        add_smooth_rect(ctx.state.smooth_rects, ctx.settings.smoothing, a.draw_rect[0],
                        a.draw_rect[2], a.draw_rect[1], a.draw_rect[3]);
    if (device != nullptr) {
        device_set_render_state(*device, RenderState::z_write_enable, 1);
        device_set_render_state(*device, RenderState::alpha_blend_enable, 0);
        device_set_render_state(*device, RenderState::alpha_test_enable, 0);
    }
}

bool volumes_wanted(const RenderContext& ctx, const Actor& a) {
    return ctx.settings.stencil_shadows == 4 && ctx.device != nullptr && a.shadow_kind == 4 &&
           ctx.stencil_bits > 0;
}

} // namespace

void actor_draw(RenderContext& ctx, Actor& a) {
    if (actor_empty(a)) return;
    if ((ctx.settings.stencil_shadows == 1 || a.shadow_kind != 4) && a.shadow_kind > 0)
        draw_blob_shadow(ctx, a, a.position);
    const float s = ctx.camera.scene_scale;
    const Matrix world = multiply(
        multiply(rotation_y(-a.heading), scaling(s * a.scale.x, s * a.scale.y, s * a.scale.z)),
        translation(a.position.x, a.position.y + 0.25f, a.position.z));
    for (ModelPart& part : a.model.parts)
        transform_part(part, multiply(frame_matrix(part, a.frame), world),
                       ctx.camera.view_projection, ctx.device != nullptr);
    const bool volumes = volumes_wanted(ctx, a);
    if (volumes) draw_shadow_volumes(ctx, a, {}, false);
    draw_parts(ctx, a, a.position, volumes);
}

void actor_draw_attached(RenderContext& ctx, Actor& o, const Actor& h, int host_part) {
    if (actor_empty(o)) return;
    if ((ctx.settings.stencil_shadows != 4 || o.shadow_kind != 4) && o.shadow_kind > 0)
        draw_blob_shadow(ctx, o, h.position);
    const float s = ctx.camera.scene_scale;
    const Vec3 at = h.position + o.position;
    const Matrix world = multiply(
        multiply(rotation_y(-h.heading), scaling(s * o.scale.x, s * o.scale.y, s * o.scale.z)),
        translation(at.x, at.y + 0.25f, at.z));
    Matrix host_frame = Matrix::identity();
    if (host_part >= 0 && size_t(host_part) < h.model.parts.size())
        host_frame = frame_matrix(h.model.parts[size_t(host_part)], h.frame);
    const Matrix part_world = multiply(host_frame, world);
    std::vector<Matrix> worlds(o.model.parts.size(), part_world);
    for (ModelPart& part : o.model.parts)
        transform_part(part, part_world, ctx.camera.view_projection, ctx.device != nullptr);
    const bool volumes = volumes_wanted(ctx, o);
    if (volumes) draw_shadow_volumes(ctx, o, worlds, true);
    draw_parts(ctx, o, at, volumes, o.blend_mode != 255); // 255: nothing but its shadows
}
