#include "tools/demo/renderer.h"

#include <cmath>
#include <functional>
#include <thread>

#include "tools/demo/random.h"

namespace {

constexpr double k_golden = 0.6180339887498949;

// The j-th of n points of a rank-1 lattice, shifted by a per-pixel offset: well spread samples
// for soft shadows and occlusion without per-sample bookkeeping.
void lattice_point(int j, int n, double shift_u, double shift_v, double& u, double& v) {
    u = std::fmod((j + 0.5) / n + shift_u, 1.0);
    v = std::fmod(j * k_golden + shift_v, 1.0);
}

V3d cone_direction(const V3d& axis, double spread, double u, double v) {
    V3d t, b;
    orthonormal_basis(axis, t, b);
    const double r = spread * std::sqrt(u), phi = 2 * k_pi * v;
    return normalized(axis + t * (r * std::cos(phi)) + b * (r * std::sin(phi)));
}

V3d cosine_direction(const V3d& n, double u, double v) {
    V3d t, b;
    orthonormal_basis(n, t, b);
    const double r = std::sqrt(u), phi = 2 * k_pi * v;
    return normalized(t * (r * std::cos(phi)) + b * (r * std::sin(phi)) + n * std::sqrt(1 - u));
}

V3d sky_colour(const Environment& env, const V3d& d) {
    const double up = -d.y; // y grows downwards
    if (up < 0) return env.ground;
    return lerp(env.sky_horizon, env.sky_zenith, std::sqrt(up));
}

struct Shader {
    const Tracer& tracer;
    const std::vector<SceneMaterial>& materials;
    const Environment& env;
    const RenderOptions& options;

    const SceneMaterial& material(size_t i) const {
        return materials[i < materials.size() ? i : 0];
    }

    // The material's surface, mixed with its blend partner where its mask asks for it.
    SurfacePoint surface_at(size_t index, const Hit& hit) const {
        const SceneMaterial& m = material(index);
        SurfacePoint s = eval_material(m, hit);
        if (m.blend_with < 0 || !m.blend) return s;
        const double t = clamp01(m.blend(hit.p));
        if (t <= 0) return s;
        const SurfacePoint other = eval_material(material(static_cast<size_t>(m.blend_with)), hit);
        if (t >= 1) return other;
        s.albedo = lerp(s.albedo, other.albedo, t);
        s.normal = normalized(lerp(s.normal, other.normal, t));
        s.specular = mix(s.specular, other.specular, t);
        return s;
    }

    // One shading sample of `samples` in the pixel, with `shadow_rays` rays per light and
    // `ao_rays` occlusion rays; the rays of all samples together spread evenly.
    V3d shade(const Ray& ray, const Hit& hit, uint32_t seed, int sample, int samples,
              int shadow_rays, int ao_rays) const {
        const Shape& shape = tracer.shape(hit.shape);
        const SurfacePoint s = surface_at(shape.material, hit);
        V3d n = s.normal;
        if (dot(n, hit.ng) < 0.05) n = hit.ng; // bump must not turn the surface away
        const double eps = 2e-3 * std::max(1.0, length(hit.p) * 0.02);
        const V3d p = hit.p + hit.ng * eps;
        V3d colour = s.emission;
        const V3d view = -normalized(ray.d);
        const double su = unit_from_hash(hash_combine(seed, 11)),
                     sv = unit_from_hash(hash_combine(seed, 12));
        const int nshadow = shadow_rays * samples;
        for (size_t li = 0; li < env.suns.size(); ++li) {
            const SunLight& sun = env.suns[li];
            const double ndl = dot(n, sun.to_light);
            if (ndl <= 0 || dot(hit.ng, sun.to_light) <= 0) continue;
            double visible = 0;
            for (int k = 0; k < shadow_rays; ++k) {
                double u, v;
                lattice_point(sample * shadow_rays + k, nshadow, su + 0.37 * li, sv, u, v);
                const V3d dir = cone_direction(sun.to_light, sun.spread, u, v);
                if (!tracer.occluded({p, dir}, 0, 1e6)) visible += 1;
            }
            visible /= shadow_rays;
            if (visible == 0) continue;
            V3d light = sun.colour * (ndl * visible);
            colour += s.albedo * light;
            if (s.specular > 0) {
                const V3d h = normalized(sun.to_light + view);
                colour += sun.colour *
                          (s.specular * visible * std::pow(std::max(0.0, dot(n, h)), s.shininess));
            }
        }
        for (size_t li = 0; li < env.lamps.size(); ++li) {
            const LampLight& lamp = env.lamps[li];
            const V3d to = lamp.position - p;
            const double dist = length(to);
            const V3d l = to / dist;
            const double ndl = dot(n, l);
            if (ndl <= 0) continue;
            double visible = 0;
            for (int k = 0; k < options.shadow_rays; ++k) {
                double u, v;
                lattice_point(sample * options.shadow_rays + k, nshadow, su + 0.61 * li, sv + 0.3,
                              u, v);
                const double spread = std::atan2(lamp.radius, dist);
                const V3d dir = cone_direction(l, spread, u, v);
                if (!tracer.occluded({p, dir}, 0, dist - lamp.radius)) visible += 1;
            }
            visible /= shadow_rays;
            const double atten = 1 / (1 + (dist / lamp.falloff) * (dist / lamp.falloff));
            colour += s.albedo * lamp.colour * (ndl * visible * atten);
            if (s.specular > 0 && visible > 0) {
                const V3d h = normalized(l + view);
                colour += lamp.colour * (atten * s.specular * visible *
                                         std::pow(std::max(0.0, dot(n, h)), s.shininess));
            }
        }
        if (env.sky_strength > 0 && ao_rays > 0) {
            const int nao = ao_rays * samples;
            const double au = unit_from_hash(hash_combine(seed, 21)),
                         av = unit_from_hash(hash_combine(seed, 22));
            V3d ambient{0, 0, 0};
            for (int k = 0; k < ao_rays; ++k) {
                double u, v;
                lattice_point(sample * ao_rays + k, nao, au, av, u, v);
                V3d dir = cosine_direction(n, u, v);
                if (dot(dir, hit.ng) <= 0) dir = cosine_direction(hit.ng, u, v);
                if (!tracer.occluded({p, dir}, 0, env.ao_distance)) ambient += sky_colour(env, dir);
            }
            colour += s.albedo * ambient * (env.sky_strength / ao_rays);
        }
        return colour;
    }

    V3d background(const Ray& ray) const {
        if (env.background.x >= 0) return env.background;
        return sky_colour(env, normalized(ray.d)) * (env.sky_strength * 1.6);
    }
};

} // namespace

Ray TraceCamera::ray(double sx, double sy) const {
    const V3d d = axis_x * ((sx - 320) / focal) + axis_y * ((sy - 240) / focal) + axis_z;
    return {eye + axis_z, d};
}

TraceCamera make_trace_camera(const double view[4][4], double projection_scale) {
    // The inverse of the view's upper 3x3 by cofactors, so that a view matrix that is not quite
    // orthonormal (it is stored in floats) is still inverted exactly.
    const double(*m)[4] = view;
    const double c00 = m[1][1] * m[2][2] - m[1][2] * m[2][1];
    const double c01 = m[1][2] * m[2][0] - m[1][0] * m[2][2];
    const double c02 = m[1][0] * m[2][1] - m[1][1] * m[2][0];
    const double det = m[0][0] * c00 + m[0][1] * c01 + m[0][2] * c02;
    double inv[3][3];
    inv[0][0] = c00 / det;
    inv[1][0] = c01 / det;
    inv[2][0] = c02 / det;
    inv[0][1] = (m[0][2] * m[2][1] - m[0][1] * m[2][2]) / det;
    inv[1][1] = (m[0][0] * m[2][2] - m[0][2] * m[2][0]) / det;
    inv[2][1] = (m[0][1] * m[2][0] - m[0][0] * m[2][1]) / det;
    inv[0][2] = (m[0][1] * m[1][2] - m[0][2] * m[1][1]) / det;
    inv[1][2] = (m[0][2] * m[1][0] - m[0][0] * m[1][2]) / det;
    inv[2][2] = (m[0][0] * m[1][1] - m[0][1] * m[1][0]) / det;
    TraceCamera c;
    c.axis_x = {inv[0][0], inv[0][1], inv[0][2]};
    c.axis_y = {inv[1][0], inv[1][1], inv[1][2]};
    c.axis_z = {inv[2][0], inv[2][1], inv[2][2]};
    const V3d t{m[3][0], m[3][1], m[3][2]};
    c.eye = -(c.axis_x * t.x + c.axis_y * t.y + c.axis_z * t.z);
    c.depth_row = {m[0][2], m[1][2], m[2][2]};
    c.depth_offset = m[3][2];
    c.focal = 1200 * projection_scale;
    return c;
}

RenderResult render_scene(const Tracer& tracer, const std::vector<SceneMaterial>& materials,
                          const TraceCamera& camera, const Environment& env,
                          const RenderOptions& options) {
    RenderResult result;
    const size_t n = static_cast<size_t>(result.width) * result.height;
    result.info.resize(n);
    if (options.shading) result.linear.assign(n * 3, 0.0f);
    const Shader shader{tracer, materials, env, options};
    const int aa = std::max(1, options.aa);
    const int samples = aa * aa;

    // Pass 1: what the centre ray of each pixel sees, over the rectangle and a pixel around it
    // (so that a rectangle's edge pixels are judged as in a whole picture).
    const int gx0 = std::max(0, options.x0 - 1), gy0 = std::max(0, options.y0 - 1);
    const int gx1 = std::min(result.width, options.x1 + 1),
              gy1 = std::min(result.height, options.y1 + 1);
    std::vector<int> material(n, -1);
    auto geometry_row = [&](int y) {
        for (int x = gx0; x < gx1; ++x) {
            const size_t i = static_cast<size_t>(y) * result.width + x;
            PixelInfo& info = result.info[i];
            Hit hit;
            if (!tracer.intersect(camera.ray(x, y), 1e-6, 1e9, hit)) continue;
            const Shape& s = tracer.shape(hit.shape);
            info.hit = true;
            info.p = hit.p;
            info.n = hit.ng;
            info.depth = camera.camera_depth(hit.p);
            info.tag = s.tag;
            info.flags = s.flags;
            material[i] = s.material;
        }
    };
    // A pixel where the surface changes (another thing, a fold, a depth step) gets aa x aa
    // samples; inside a surface one sample with as many light rays does.
    auto is_edge = [&](int x, int y) {
        const size_t i = static_cast<size_t>(y) * result.width + x;
        const PixelInfo& a = result.info[i];
        const int nb[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
        for (const auto& d : nb) {
            const int nx = x + d[0], ny = y + d[1];
            if (nx < gx0 || ny < gy0 || nx >= gx1 || ny >= gy1) continue;
            const size_t j = static_cast<size_t>(ny) * result.width + nx;
            const PixelInfo& b = result.info[j];
            if (a.hit != b.hit || material[i] != material[j]) return true;
            if (!a.hit) continue;
            if (std::fabs(a.depth - b.depth) > 0.004 * a.depth + 0.05) return true;
            if (dot(a.n, b.n) < 0.94) return true;
        }
        return false;
    };
    auto shade_row = [&](int y) {
        for (int x = options.x0; x < options.x1; ++x) {
            const size_t i = static_cast<size_t>(y) * result.width + x;
            const uint32_t pixel_seed =
                hash3(static_cast<uint32_t>(x), static_cast<uint32_t>(y), 0x5eed);
            const bool edge = aa > 1 && is_edge(x, y);
            const int n_samples = edge ? samples : 1;
            const int shadow_rays = edge ? options.shadow_rays : options.shadow_rays * 2;
            const int ao_rays = edge ? options.ao_rays : options.ao_rays * 2;
            V3d sum{0, 0, 0};
            for (int sample = 0; sample < n_samples; ++sample) {
                Ray ray = camera.ray(x, y);
                if (edge) {
                    // Stratified positions within the pixel, centred on its screen point.
                    const int sx = sample % aa, sy = sample / aa;
                    const uint32_t h = hash_combine(pixel_seed, static_cast<uint32_t>(sample));
                    const double ox = (sx + 0.25 + 0.5 * unit_from_hash(h)) / aa - 0.5;
                    const double oy = (sy + 0.25 + 0.5 * unit_from_hash(hash_u32(h))) / aa - 0.5;
                    ray = camera.ray(x + ox, y + oy);
                }
                Hit hit;
                if (tracer.intersect(ray, 1e-6, 1e9, hit))
                    sum +=
                        shader.shade(ray, hit, pixel_seed, sample, n_samples, shadow_rays, ao_rays);
                else
                    sum += shader.background(ray);
            }
            sum = sum / n_samples;
            result.linear[i * 3 + 0] = static_cast<float>(sum.x);
            result.linear[i * 3 + 1] = static_cast<float>(sum.y);
            result.linear[i * 3 + 2] = static_cast<float>(sum.z);
        }
    };

    const int threads = std::max(1, options.threads);
    auto in_parallel = [&](int y0, int y1, const std::function<void(int)>& row) {
        std::vector<std::thread> pool;
        for (int t = 0; t < threads; ++t)
            pool.emplace_back([&, t] {
                for (int y = y0 + t; y < y1; y += threads) row(y);
            });
        for (std::thread& th : pool) th.join();
    };
    in_parallel(gy0, gy1, geometry_row);
    if (options.shading) in_parallel(options.y0, options.y1, shade_row);
    return result;
}

std::vector<uint8_t> tone_map(const RenderResult& r, double exposure, int x0, int y0, int x1,
                              int y1) {
    std::vector<uint8_t> out;
    out.reserve(static_cast<size_t>(x1 - x0) * (y1 - y0) * 3);
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            const size_t i = static_cast<size_t>(y) * r.width + x;
            const double dither =
                (unit_from_hash(hash3(static_cast<uint32_t>(x), static_cast<uint32_t>(y), 77)) -
                 0.5) /
                255.0;
            for (int c = 0; c < 3; ++c) {
                double v = r.linear.empty() ? 0 : r.linear[i * 3 + c] * exposure;
                v = v * (2.51 * v + 0.03) / (v * (2.43 * v + 0.59) + 0.14);
                v = clamp01(v);
                v = v <= 0.0031308 ? v * 12.92 : 1.055 * std::pow(v, 1 / 2.4) - 0.055;
                v = clamp01(v + dither);
                out.push_back(static_cast<uint8_t>(std::lround(v * 255)));
            }
        }
    return out;
}
