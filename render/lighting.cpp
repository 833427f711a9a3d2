#include "render/lighting.h"

#include <algorithm>
#include <cmath>

namespace {

// Nearest integer of a float that may be huge or not a number.
int64_t rnd(double v) {
    if (!(v == v)) return 0;
    return std::llround(std::clamp(v, -1e15, 1e15));
}

uint32_t add_bytes(uint32_t c, uint32_t light, int64_t weight) {
    uint32_t out = 0;
    for (int s = 0; s < 32; s += 8) {
        const int64_t add = (weight * ((light >> s) & 0xFF)) / 256;
        out |= static_cast<uint32_t>(std::min<int64_t>(255, ((c >> s) & 0xFF) + add)) << s;
    }
    return out;
}

uint32_t subtract_bytes(uint32_t c, uint32_t light, int64_t weight) {
    uint32_t out = 0;
    for (int s = 0; s < 32; s += 8) {
        const int64_t sub = (weight * ((light >> s) & 0xFF)) / 256;
        out |= static_cast<uint32_t>(std::max<int64_t>(0, int64_t((c >> s) & 0xFF) - sub)) << s;
    }
    return out;
}

Vec3 camera_position(const ScreenVertex& v) {
    return {v.x, v.y, v.z};
}

void spot_light(ModelPart& part, size_t n, const LightSlot& light) {
    for (size_t i = 0; i < n; ++i) {
        ScreenVertex& v = part.screen_vertices[i];
        const Vec3 l_vec = light.position - camera_position(v);
        const float d = length(l_vec);
        if (!(d > 0)) continue; // a vertex at the light's own place has no direction to it
        const Vec3 l = l_vec * (1.0f / d);
        if (dot(l, light.direction) < light.cone) continue;
        int64_t intensity = rnd(255.0 * dot(part.view_normals[i], l));
        if (intensity <= 0) continue;
        intensity = std::min<int64_t>(intensity, 255);
        v.colour = light.spot_mode == 1 ? add_bytes(v.colour, light.colour, intensity)
                                        : subtract_bytes(v.colour, light.colour, intensity);
    }
}

void point_light(ModelPart& part, size_t n, const LightSlot& light, const Vec3& actor) {
    if (rnd(255.0 / (double(length(light.position - actor)) * light.range)) <= 0) return;
    for (size_t i = 0; i < n; ++i) {
        ScreenVertex& v = part.screen_vertices[i];
        const Vec3 l_vec = light.position - camera_position(v);
        const float d = length(l_vec);
        int64_t intensity = rnd(255.0 * dot(part.view_normals[i], l_vec) / d);
        if (intensity <= 0) continue;
        intensity = std::min<int64_t>(intensity, 255);
        const int64_t att = std::min<int64_t>(rnd(255.0 / (double(d) * light.range)), 255);
        const int64_t w = (att * intensity) / 256;
        v.colour = add_bytes(v.colour, light.colour, w);
    }
}

} // namespace

void tick_lights(Lighting& lighting) {
    for (LightSlot& l : lighting.light_table)
        if (l.lifetime != 0 && l.lifetime != -1) l.lifetime -= 1;
}

void light_part(ModelPart& part, const Lighting& lighting, const Matrix& view_projection,
                const Vec3& actor_position) {
    const Vec3 actor = transform_point(actor_position, view_projection);
    const size_t n = std::min(part.screen_vertices.size(), part.view_normals.size());
    for (size_t i = 0; i < n; ++i) part.screen_vertices[i].colour = lighting.ambient_colour;
    for (const LightSlot& light : lighting.light_table) {
        if (light.lifetime == 0) continue;
        if (light.spot_mode != 0)
            spot_light(part, n, light);
        else
            point_light(part, n, light, actor);
    }
}

FogResult fog_part(ModelPart& part, std::span<const FogVolume> volumes, const Vec3& eye) {
    FogResult result;
    for (ScreenVertex& v : part.screen_vertices) v.specular = 0xFF000000u;
    for (const FogVolume& vol : volumes) {
        if (vol.in_use == 0) continue;
        for (ScreenVertex& v : part.screen_vertices) {
            const Vec3 p = camera_position(v);
            const Vec3 dir = p - eye;
            const Vec3 oc = eye - vol.centre;
            const double qa = dot(dir, dir);
            const double qb = 2.0 * dot(oc, dir);
            const double qc = double(dot(oc, oc)) - double(vol.radius) * vol.radius;
            const double disc = qb * qb - 4 * qa * qc;
            if (!(disc > 0) || qa == 0) continue;
            const double root = std::sqrt(disc);
            const float t_near = float((-qb - root) / (2 * qa));
            const float t_far = float((-qb + root) / (2 * qa));
            const Vec3 near_point = eye + dir * t_near;
            const Vec3 far_point = eye + dir * t_far;
            const float to_vertex = dot(dir, dir);
            const Vec3 to_near = near_point - eye, to_far = far_point - eye;
            if (!(to_vertex > dot(to_near, to_near))) continue;
            result.fog_used = true;
            result.colour = vol.colour;
            const float len = to_vertex <= dot(to_far, to_far) ? length(p - near_point)
                                                               : length(far_point - near_point);
            const double f = std::clamp(double(vol.factor) * vol.density * len, 0.0, 1.0);
            v.specular = ~static_cast<uint32_t>(std::llround(f * 4278190080.0));
        }
    }
    return result;
}

void prepare_fog_volumes(std::span<FogVolume> volumes, SceneCamera& camera) {
    camera.camera_eye = transform_point(camera.camera_eye, camera.view_projection);
    for (FogVolume& v : volumes)
        if (v.in_use != 0) v.centre = transform_point(v.centre, camera.view_projection);
}
