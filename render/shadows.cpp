#include "render/shadows.h"

#include <algorithm>

#include "render/transforms.h"

namespace {

constexpr float k_blob_corners[4][3] = {
    {-3, -0.3f, -3}, {3, -0.3f, -3}, {-3, -0.3f, 3}, {3, -0.3f, 3}};
constexpr uint32_t k_blob_colour = 0x40404040;

void blob_on_device(RenderContext& ctx, std::array<ScreenVertex, 4>& v) {
    Device3D& d = *ctx.device;
    std::array<TLVertex, 4> q;
    for (size_t i = 0; i < 4; ++i)
        q[i] = {v[i].x,        v[i].y,      v[i].z,       v[i].rhw,
                k_blob_colour, 0xFF000000u, float(i & 1), float(i >> 1)};
    device_set_render_state(d, RenderState::z_write_enable, 0);
    device_set_render_state(d, RenderState::alpha_blend_enable, 1);
    device_set_render_state(d, RenderState::src_blend, BLEND_ZERO);
    device_set_render_state(d, RenderState::dest_blend, BLEND_INVSRCCOLOR);
    device_set_texture_stage_state(d, 0, StageState::color_op, TOP_SELECTARG1);
    device_set_texture_stage_state(d, 0, StageState::color_arg1, TA_TEXTURE);
    device_set_texture(d, 0, ctx.state.shadows.blob_texture);
    device_draw_primitive(d, Primitive::triangle_strip, k_fvf_textured, q.data(), 4);
    device_set_texture_stage_state(d, 0, StageState::color_op, TOP_MODULATE);
    device_set_render_state(d, RenderState::alpha_blend_enable, 0);
    device_set_render_state(d, RenderState::z_write_enable, 1);
}

std::array<int32_t, 4> margins(const std::array<int32_t, 4>& old, const TrackedRect& now) {
    // How far the previous rectangle (max x, max y, min x, min y) reaches beyond the new one.
    return {std::max(0, now.min_x - old[2]), std::max(0, old[0] - now.max_x),
            std::max(0, now.min_y - old[3]), std::max(0, old[1] - now.max_y)};
}

} // namespace

void draw_blob_shadow(RenderContext& ctx, Actor& a, const Vec3& r) {
    std::array<ModelVertex, 4> corners;
    for (size_t i = 0; i < 4; ++i)
        corners[i] = {k_blob_corners[i][0], k_blob_corners[i][1], k_blob_corners[i][2],
                      k_blob_corners[i][0] * k_blob_corners[i][1]};
    std::array<ScreenVertex, 4> v;
    const Matrix m = multiply(translation(r.x, r.y, r.z), ctx.camera.view_projection);
    const bool software = ctx.device == nullptr;
    transform_project(corners, v, m, software);
    for (size_t i = 0; i < 4; ++i) {
        v[i].colour = k_blob_colour;
        v[i].u = software ? float((i & 1) * 65535) : float(i & 1);
        v[i].v = software ? float((i >> 1) * 65535) : float(i >> 1);
    }
    if (!software) {
        blob_on_device(ctx, v);
        return;
    }
    SoftwareRaster& raster = *ctx.state.raster;
    raster.texture = ctx.state.shadows.blob_soft_texture;
    raster.actor.reset();
    draw_strip_software(raster, ctx.soft, v);
    const TrackedRect now = raster.actor;
    const auto m4 = margins(a.shadow_rect, now);
    a.shadow_rect = {now.max_x, now.max_y, now.min_x, now.min_y};
    add_dirty_rect(ctx.state.dirty_rects, now.min_x, now.max_x, now.min_y, now.max_y,
                   k_dirty_colour, 0, m4);
}

int build_shadow_volume(std::span<const Vec3> p, std::span<const uint16_t> indices,
                        const Vec3& light, float extrusion, std::span<VolumeVertex> out,
                        SilhouetteEdges& silhouette) {
    silhouette.reset(indices.size());
    for (size_t t = 0; t + 2 < indices.size(); t += 3) {
        const uint16_t i0 = indices[t], i1 = indices[t + 1], i2 = indices[t + 2];
        if (i0 >= p.size() || i1 >= p.size() || i2 >= p.size()) continue;
        const Vec3 n = normalise(cross(p[i1] - p[i2], p[i0] - p[i2]));
        const float d = -dot(n, p[i2]);
        if (!(dot(n, light) + d < 0)) continue;
        for (const SilhouetteEdges::Edge e : {SilhouetteEdges::Edge{i0, i1}, {i1, i2}, {i2, i0}})
            silhouette.visit(e);
    }
    size_t count = 0;
    for (const auto& e : silhouette.edges()) {
        if (count + 6 > out.size()) break;
        const Vec3 a = p[e[0]], b = p[e[1]];
        const Vec3 a2 = a + (a - light) * extrusion, b2 = b + (b - light) * extrusion;
        for (const Vec3& q : {a, b2, a2, a, b, b2}) out[count++] = {q.x, q.y, q.z, 1};
    }
    return static_cast<int>(count);
}

namespace {

void project_volume(std::span<VolumeVertex> v) {
    for (VolumeVertex& q : v) {
        const float z = q.z * k_focal_factor;
        q.x = q.x / z + k_screen_centre_x;
        q.y = q.y / z + k_screen_centre_y;
        q.z = z;
    }
}

} // namespace

void count_shadow_volume(Device3D& d, std::span<const VolumeVertex> v) {
    device_set_render_state(d, RenderState::stencil_ref, 1);
    device_set_render_state(d, RenderState::stencil_mask, 0xFFFFFFFFu);
    device_set_render_state(d, RenderState::stencil_write_mask, 0xFFFFFFFFu);
    device_set_render_state(d, RenderState::stencil_pass, STENCILOP_INCRSAT);
    device_set_render_state(d, RenderState::alpha_blend_enable, 1);
    device_set_render_state(d, RenderState::src_blend, BLEND_ZERO);
    device_set_render_state(d, RenderState::dest_blend, BLEND_ONE);
    device_set_render_state(d, RenderState::cull_mode, CULL_CCW);
    device_draw_primitive(d, Primitive::triangle_list, k_fvf_position, v.data(), int(v.size()));
    device_set_render_state(d, RenderState::cull_mode, CULL_CW);
    // Only the increment saturates: a pixel that more back faces than front faces pass wraps
    // round to a nonzero count.
    device_set_render_state(d, RenderState::stencil_pass, STENCILOP_DECR);
    device_draw_primitive(d, Primitive::triangle_list, k_fvf_position, v.data(), int(v.size()));
}

void draw_shadow_volumes(RenderContext& ctx, Actor& a, std::span<const Matrix> part_worlds,
                         bool in_model_space) {
    if (ctx.device == nullptr) return;
    Device3D& d = *ctx.device;
    ShadowState& s = ctx.state.shadows;
    device_set_texture(d, 0, nullptr);
    device_set_render_state(d, RenderState::z_write_enable, 0);
    device_set_render_state(d, RenderState::stencil_enable, 1);
    device_set_render_state(d, RenderState::shade_mode, SHADE_FLAT);
    device_set_render_state(d, RenderState::stencil_func, CMP_ALWAYS);
    device_set_render_state(d, RenderState::stencil_zfail, STENCILOP_KEEP);
    device_set_render_state(d, RenderState::stencil_fail, STENCILOP_KEEP);
    std::vector<Vec3> positions;
    const int lights = std::clamp(s.shadow_light_count, 0, k_shadow_light_capacity);
    for (int l = 0; l < lights; ++l) {
        for (size_t i = 0; i < a.model.parts.size(); ++i) {
            const ModelPart& part = a.model.parts[i];
            positions.clear();
            Vec3 light;
            if (in_model_space && i < part_worlds.size()) {
                for (const auto& q : part.positions) positions.push_back({q[0], q[1], q[2]});
                light = transform_point(s.shadow_lights[size_t(l)], affine_inverse(part_worlds[i]));
            } else {
                for (const auto& q : part.screen_vertices) positions.push_back({q.x, q.y, q.z});
                light = transform_point(s.shadow_lights[size_t(l)], ctx.camera.view_projection);
            }
            auto& buffer = s.volume_buffers[in_model_space ? 1 : 0];
            const int n = build_shadow_volume(positions, part.vertex_indices, light,
                                              s.shadow_extrusion, buffer, s.silhouette);
            s.high_water = std::max(s.high_water, n);
            if (n == 0) continue;
            std::span<VolumeVertex> v(buffer.data(), size_t(n));
            if (in_model_space && i < part_worlds.size()) {
                const Matrix m = multiply(part_worlds[i], ctx.camera.view_projection);
                for (VolumeVertex& q : v) {
                    const Vec3 t = transform_point({q.x, q.y, q.z}, m);
                    q = {t.x, t.y, t.z, 1};
                }
            }
            project_volume(v);
            count_shadow_volume(d, v);
        }
    }
    device_set_render_state(d, RenderState::shade_mode, SHADE_GOURAUD);
    device_set_render_state(d, RenderState::cull_mode, CULL_CW);
    device_set_render_state(d, RenderState::z_write_enable, 1);
    device_set_render_state(d, RenderState::stencil_enable, 0);
    device_set_render_state(d, RenderState::alpha_blend_enable, 0);
}

void draw_shadow_darkening(Device3D& d) {
    std::array<TLVertex, 4> q;
    const float corners[4][2] = {{0, 0}, {640, 0}, {0, 480}, {640, 480}};
    for (size_t i = 0; i < 4; ++i)
        q[i] = {corners[i][0], corners[i][1], 0, 1, 0x7F000000u, 0xFF000000u, 0, 0};
    device_set_texture(d, 0, nullptr);
    device_set_render_state(d, RenderState::z_enable, 0);
    device_set_render_state(d, RenderState::z_write_enable, 0);
    device_set_render_state(d, RenderState::cull_mode, CULL_NONE);
    device_set_render_state(d, RenderState::stencil_enable, 1);
    device_set_render_state(d, RenderState::stencil_ref, 0);
    device_set_render_state(d, RenderState::stencil_func, CMP_NOTEQUAL);
    device_set_render_state(d, RenderState::stencil_pass, STENCILOP_ZERO);
    device_set_render_state(d, RenderState::alpha_blend_enable, 1);
    device_set_render_state(d, RenderState::src_blend, BLEND_SRCALPHA);
    device_set_render_state(d, RenderState::dest_blend, BLEND_INVSRCALPHA);
    device_draw_primitive(d, Primitive::triangle_strip, k_fvf_textured, q.data(), 4);
    device_set_render_state(d, RenderState::alpha_blend_enable, 0);
    device_set_render_state(d, RenderState::stencil_enable, 0);
    device_set_render_state(d, RenderState::stencil_func, CMP_ALWAYS);
    device_set_render_state(d, RenderState::cull_mode, CULL_CW);
    device_set_render_state(d, RenderState::z_enable, 1);
    device_set_render_state(d, RenderState::z_write_enable, 1);
}
