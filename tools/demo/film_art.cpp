#include "tools/demo/film_art.h"

#include <algorithm>
#include <cmath>

#include "platform/text.h"
#include "render/camera.h"
#include "tools/demo/random.h"
#include "tools/demo/tracer.h"

namespace {

std::u16string utf16_of(const std::string& s) {
    std::u16string out;
    for (size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        uint32_t code = c;
        size_t n = 1;
        if (c >= 0xE0 && i + 2 < s.size()) {
            code = (c & 0x0Fu) << 12 | (s[i + 1] & 0x3Fu) << 6 | (s[i + 2] & 0x3Fu);
            n = 3;
        } else if (c >= 0xC0 && i + 1 < s.size()) {
            code = (c & 0x1Fu) << 6 | (s[i + 1] & 0x3Fu);
            n = 2;
        }
        out += char16_t(code);
        i += n;
    }
    return out;
}

uint8_t to_byte(double v) {
    return uint8_t(std::lround(clamp01(v) * 255));
}

V3d pixel_of(const RgbPicture& p, size_t i) {
    return {p.rgb[i] / 255.0, p.rgb[i + 1] / 255.0, p.rgb[i + 2] / 255.0};
}

void set_pixel(RgbPicture& p, size_t i, const V3d& c) {
    p.rgb[i] = to_byte(c.x);
    p.rgb[i + 1] = to_byte(c.y);
    p.rgb[i + 2] = to_byte(c.z);
}

V3d v3(const Vec3& v) {
    return {v.x, v.y, v.z};
}

// A hero in one frame, as triangles of the tracer in world space.
void add_actor(Tracer& tracer, const FilmActor& a, uint16_t material, float scene_scale) {
    const Matrix world = multiply(
        multiply(rotation_y(float(-a.heading)), scaling(scene_scale, scene_scale, scene_scale)),
        translation(float(a.position.x), float(a.position.y + 0.25), float(a.position.z)));
    for (const ModelPartSource& part : a.hero->parts) {
        if (part.frames.empty()) continue;
        const Matrix m = multiply(
            part.frames[size_t(std::clamp<int>(a.frame, 0, int(part.frames.size()) - 1))], world);
        Matrix turn = m; // normals: the rotation and uniform scale only
        turn.m[3][0] = turn.m[3][1] = turn.m[3][2] = 0;
        for (size_t i = 0; i + 2 < part.vertex_indices.size(); i += 3) {
            Shape s;
            s.kind = ShapeKind::triangle;
            s.flags = shape_casts_shadow;
            s.tag = 1;
            s.material = material;
            V3d* corners[3] = {&s.a, &s.b, &s.c};
            V3d* normals[3] = {&s.na, &s.nb, &s.nc};
            for (size_t k = 0; k < 3; ++k) {
                const uint16_t vi = part.vertex_indices[i + k];
                const uint16_t ui = i + k < part.uv_indices.size() ? part.uv_indices[i + k] : vi;
                if (vi >= part.positions.size()) continue;
                *corners[k] = v3(transform_point(part.positions[vi], m));
                if (vi < part.normals.size())
                    *normals[k] = normalized(v3(transform_point(part.normals[vi], turn)));
                if (ui < part.uvs.size()) {
                    s.uv[2 * k] = part.uvs[ui][0];
                    s.uv[2 * k + 1] = part.uvs[ui][1];
                }
            }
            tracer.add(s);
        }
    }
}

struct Box {
    int x0 = 640, y0 = 480, x1 = 0, y1 = 0;
    void add(double x, double y) {
        x0 = std::min(x0, int(std::floor(x)) - 2);
        y0 = std::min(y0, int(std::floor(y)) - 2);
        x1 = std::max(x1, int(std::ceil(x)) + 3);
        y1 = std::max(y1, int(std::ceil(y)) + 3);
    }
    void clip() {
        x0 = std::max(x0, 0);
        y0 = std::max(y0, 0);
        x1 = std::min(x1, k_screen_width);
        y1 = std::min(y1, k_screen_height);
    }
    bool empty() const { return x1 <= x0 || y1 <= y0; }
};

// How much of a pixel the actors cover, from a 4x4 grid of rays at the pixels where the
// centre rays disagree with a neighbour; elsewhere the centre ray decides.
double coverage(const Tracer& tracer, const TraceCamera& camera, const RenderResult& r, int x,
                int y) {
    const bool hit = r.at(x, y).hit;
    bool edge = false;
    for (int dy = -1; dy <= 1 && !edge; ++dy)
        for (int dx = -1; dx <= 1 && !edge; ++dx) {
            const int nx = x + dx, ny = y + dy;
            if (nx >= 0 && ny >= 0 && nx < r.width && ny < r.height && r.at(nx, ny).hit != hit)
                edge = true;
        }
    if (!edge) return hit ? 1 : 0;
    int hits = 0;
    for (int k = 0; k < 16; ++k) {
        Hit h;
        if (tracer.intersect(camera.ray(x + (k % 4 + 0.5) / 4 - 0.5, y + (k / 4 + 0.5) / 4 - 0.5),
                             1e-6, 1e9, h))
            ++hits;
    }
    return hits / 16.0;
}

// What the actors show at a pixel: the centre ray's depth and colour, or for an edge pixel
// whose centre ray missed them, those of the nearest neighbour it hit. False when neither.
bool actor_sample(const RenderResult& r, int x, int y, double& depth, const float*& colour) {
    depth = 0;
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
            const int nx = x + dx, ny = y + dy;
            if (nx < 0 || ny < 0 || nx >= r.width || ny >= r.height) continue;
            const PixelInfo& p = r.at(nx, ny);
            if (!p.hit || (depth != 0 && p.depth >= depth && !(dx == 0 && dy == 0))) continue;
            depth = p.depth;
            colour = &r.linear[(size_t(ny) * size_t(r.width) + size_t(nx)) * 3];
            if (dx == 0 && dy == 0) return true; // the pixel's own sample decides
        }
    return depth != 0;
}

// Which pixels of a rectangle of the stage lie in the actors' shadow: one ray towards the sun
// at every other pixel in each direction, and the pixels between interpolated, which gives the
// edge a little of the softness of the sun's disc.
std::vector<float> shadow_mask(const Tracer& tracer, const RenderResult& stage, const SunLight& sun,
                               const Box& box) {
    const int w = box.x1 - box.x0, h = box.y1 - box.y0;
    const int gw = w / 2 + 2, gh = h / 2 + 2;
    std::vector<float> grid(size_t(gw) * size_t(gh), 0.0f), mask(size_t(w) * size_t(h), 0.0f);
    for (int j = 0; j < gh; ++j)
        for (int i = 0; i < gw; ++i) {
            const int x = std::min(box.x0 + 2 * i, k_screen_width - 1);
            const int y = std::min(box.y0 + 2 * j, k_screen_height - 1);
            const PixelInfo& p = stage.at(x, y);
            if (p.hit && tracer.occluded({p.p + p.n * 0.05, sun.to_light}, 0, 1e9))
                grid[size_t(j) * size_t(gw) + size_t(i)] = 1;
        }
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int i = x / 2, j = y / 2;
            const float fx = float(x % 2) / 2, fy = float(y % 2) / 2;
            const auto g = [&](int a, int b) { return grid[size_t(b) * size_t(gw) + size_t(a)]; };
            const float top = g(i, j) * (1 - fx) + g(i + 1, j) * fx;
            const float bottom = g(i, j + 1) * (1 - fx) + g(i + 1, j + 1) * fx;
            mask[size_t(y) * size_t(w) + size_t(x)] = top * (1 - fy) + bottom * fy;
        }
    return mask;
}

} // namespace

TextMask text_mask(const std::string& font_path, int line_height, const std::string& text) {
    TextMask m;
    Font* font = font_open(font_path.c_str(), line_height);
    if (!font) return m;
    const std::u16string units = utf16_of(text);
    const TextSize size = text_measure(font, units);
    if (size.width > 0 && size.height > 0) {
        SurfacePtr s = make_system_surface(size.width, size.height, k_format_xrgb8888);
        text_draw(font, *s, 0, 0, 0xFFFFFF, units);
        m.width = size.width;
        m.height = size.height;
        m.coverage.resize(size_t(m.width) * size_t(m.height));
        for (int y = 0; y < m.height; ++y)
            for (int x = 0; x < m.width; ++x)
                m.coverage[size_t(y) * size_t(m.width) + size_t(x)] =
                    float((surface_pixel(*s, x, y) >> 8 & 0xFF) / 255.0);
    }
    font_close(font);
    return m;
}

void draw_mask(RgbPicture& p, const TextMask& mask, int x, int y, const V3d& colour, double alpha,
               const V3d* gradient_to) {
    for (int my = 0; my < mask.height; ++my) {
        const int py = y + my;
        if (py < 0 || py >= p.height) continue;
        const V3d c = gradient_to ? lerp(colour, *gradient_to, double(my) / mask.height) : colour;
        for (int mx = 0; mx < mask.width; ++mx) {
            const int px = x + mx;
            if (px < 0 || px >= p.width) continue;
            const double a = alpha * mask.coverage[size_t(my) * size_t(mask.width) + size_t(mx)];
            if (a <= 0) continue;
            const size_t i = (size_t(py) * size_t(p.width) + size_t(px)) * 3;
            set_pixel(p, i, lerp(pixel_of(p, i), c, a));
        }
    }
}

void draw_mask_centred(RgbPicture& p, const TextMask& mask, int centre_x, int y, const V3d& colour,
                       double alpha, const V3d* gradient_to) {
    draw_mask(p, mask, centre_x - mask.width / 2, y, colour, alpha, gradient_to);
}

void fill_gradient(RgbPicture& p, const V3d& top, const V3d& bottom, uint32_t seed) {
    for (int y = 0; y < p.height; ++y) {
        const V3d c = lerp(top, bottom, double(y) / (p.height - 1));
        for (int x = 0; x < p.width; ++x) {
            const double grain =
                (unit_from_hash(hash3(uint32_t(x), uint32_t(y), seed)) - 0.5) / 128;
            set_pixel(p, (size_t(y) * size_t(p.width) + size_t(x)) * 3,
                      c + V3d{grain, grain, grain});
        }
    }
}

void add_glow(RgbPicture& p, double cx, double cy, double radius, const V3d& colour,
              double strength) {
    const int x0 = std::max(0, int(cx - radius)), x1 = std::min(p.width, int(cx + radius) + 1);
    const int y0 = std::max(0, int(cy - radius)), y1 = std::min(p.height, int(cy + radius) + 1);
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            const double d = std::hypot(x - cx, y - cy) / radius;
            if (d >= 1) continue;
            const double k = strength * (1 - d) * (1 - d);
            const size_t i = (size_t(y) * size_t(p.width) + size_t(x)) * 3;
            set_pixel(p, i, pixel_of(p, i) + colour * k);
        }
}

void fade(RgbPicture& p, double level) {
    level = clamp01(level);
    if (level >= 1) return;
    for (uint8_t& v : p.rgb) v = uint8_t(std::lround(v * level));
}

void grade(RgbPicture& p, const V3d& tint, double desaturate) {
    for (size_t i = 0; i < p.rgb.size(); i += 3) {
        const V3d c = pixel_of(p, i);
        const V3d t{c.x * tint.x, c.y * tint.y, c.z * tint.z};
        const double l = 0.3 * t.x + 0.59 * t.y + 0.11 * t.z;
        set_pixel(p, i, lerp(t, V3d{l, l, l}, desaturate));
    }
}

double smooth_step(double edge0, double edge1, double x) {
    const double t = clamp01((x - edge0) / (edge1 - edge0));
    return t * t * (3 - 2 * t);
}

int FilmHero::walking(int t) const {
    const int loop = walk_frames - walk_loop;
    if (t < walk_loop || loop <= 0) return walk_first + std::min(t, walk_frames - 1);
    return walk_first + walk_loop + (t - walk_loop) % loop;
}

int FilmHero::resting(int t) const {
    return rest_first + (rest_frames > 0 ? t % rest_frames : 0);
}

FilmHero make_film_hero(const HeroLook& look, const HeroAnimation& animation) {
    FilmHero h;
    h.look = look;
    const Clip* walk = nullptr;
    const Clip* rest = nullptr;
    for (const Clip& c : animation.clips) {
        if (c.motion == Motion::walk && !walk) walk = &c;
        if (c.motion == Motion::rest && !rest) rest = &c;
    }
    std::vector<int> frames;
    if (walk) {
        h.walk_first = 0;
        h.walk_loop = std::max(0, walk->loop_to - walk->first);
        h.walk_frames = walk->last - walk->first; // the last frame is the loop frame again
        for (int f = walk->first; f < walk->last; ++f) frames.push_back(f);
    }
    if (rest) {
        h.rest_first = int(frames.size());
        h.rest_frames = rest->last - rest->first;
        for (int f = rest->first; f < rest->last; ++f) frames.push_back(f);
    }
    if (frames.empty()) frames.push_back(0);
    const PoseTrack track = hero_track(look, animation);
    h.parts = hero_model(look, int(frames.size()), [&](int k) { return track(frames[size_t(k)]); });
    const Canvas texture = hero_texture(look);
    h.texture = std::make_shared<MaterialPicture>();
    h.texture->width = texture.width();
    h.texture->height = texture.height();
    for (int y = 0; y < texture.height(); ++y)
        for (int x = 0; x < texture.width(); ++x) {
            const V3d& c = texture.at(x, y);
            h.texture->pixels.push_back(srgb(int(std::lround(c.x * 255)),
                                             int(std::lround(c.y * 255)),
                                             int(std::lround(c.z * 255))));
        }
    return h;
}

FilmStage::FilmStage(const GeneratedScene* scene, const FilmQuality& quality) : quality_(quality) {
    if (!scene || scene->background.linear.empty()) return;
    scene_ = scene;
    picture_ =
        tone_map(scene->background, scene->scene.exposure, 0, 0, k_screen_width, k_screen_height);
}

V3d FilmStage::floor_at(int x, int y) const {
    const PixelInfo& p = scene_->background.at(std::clamp(x, 0, k_screen_width - 1),
                                               std::clamp(y, 0, k_screen_height - 1));
    return p.p - V3d{0, 0.2, 0};
}

void FilmStage::draw(const std::vector<FilmActor>& actors, RgbPicture& out) const {
    out.width = k_screen_width;
    out.height = k_screen_height;
    if (!scene_) {
        out.rgb.assign(size_t(k_screen_width) * k_screen_height * 3, 0);
        return;
    }
    out.rgb = picture_;
    if (actors.empty()) return;
    const SceneView& view = scene_->view;
    Tracer tracer;
    for (size_t k = 0; k < actors.size(); ++k)
        if (actors[k].hero) add_actor(tracer, actors[k], uint16_t(k), view.camera.scene_scale);
    if (tracer.size() == 0) return;
    tracer.build();

    // Where the actors and their shadows may fall on the screen.
    const Environment& env = scene_->env;
    const SunLight* sun = env.suns.empty() ? nullptr : &env.suns.front();
    Box box, seen;
    for (size_t i = 0; i < tracer.size(); ++i) {
        const Shape& s = tracer.shape(int(i));
        for (const V3d& p : {s.a, s.b, s.c}) {
            const ScreenPoint sp = view.screen(p);
            box.add(sp.x, sp.y);
            seen.add(sp.x, sp.y);
            if (sun && sun->to_light.y < -0.05) {
                // Down along the sunlight to a little below the feet.
                const double t =
                    std::min(80.0, (actors.front().position.y + 1 - p.y) / -sun->to_light.y);
                const ScreenPoint g = view.screen(p - sun->to_light * std::max(0.0, t));
                box.add(g.x, g.y);
            }
        }
    }
    box.clip();
    seen.clip();
    if (box.empty()) return;

    RenderOptions options;
    options.aa = 1; // the edges are smoothed by the coverage below
    options.shadow_rays = quality_.shadow_rays;
    options.ao_rays = quality_.ao_rays;
    options.threads = quality_.threads;
    options.x0 = seen.x0;
    options.y0 = seen.y0;
    options.x1 = seen.x1;
    options.y1 = seen.y1;
    // Every actor wears its own texture.
    std::vector<SceneMaterial> materials;
    for (const FilmActor& a : actors) {
        SceneMaterial m;
        m.kind = MaterialKind::picture;
        if (a.hero) m.picture = a.hero->texture.get();
        materials.push_back(m);
    }
    const RenderResult r = render_scene(tracer, materials, view.trace, env, options);

    RenderResult work;
    work.linear = scene_->background.linear;
    const std::vector<float> shadow =
        sun ? shadow_mask(tracer, scene_->background, *sun, box) : std::vector<float>();
    for (int y = box.y0; y < box.y1; ++y)
        for (int x = box.x0; x < box.x1; ++x) {
            const size_t i = size_t(y) * size_t(k_screen_width) + size_t(x);
            const PixelInfo& bg = scene_->background.info[i];
            float* c = &work.linear[i * 3];
            if (!shadow.empty()) {
                // The sun's part of the light goes; the sky's stays.
                const size_t at = size_t(y - box.y0) * size_t(box.x1 - box.x0) + size_t(x - box.x0);
                const float k = 1 - 0.6f * shadow[at];
                for (int ch = 0; ch < 3; ++ch) c[ch] *= k;
            }
            if (x < seen.x0 || y < seen.y0 || x >= seen.x1 || y >= seen.y1) continue;
            double depth;
            const float* colour = nullptr;
            if (!actor_sample(r, x, y, depth, colour) || (bg.hit && bg.depth < depth)) continue;
            const float a = float(coverage(tracer, view.trace, r, x, y));
            for (int ch = 0; ch < 3; ++ch) c[ch] = colour[ch] * a + (1 - a) * c[ch];
        }
    const std::vector<uint8_t> rgb =
        tone_map(work, scene_->scene.exposure, box.x0, box.y0, box.x1, box.y1);
    const size_t row = size_t(box.x1 - box.x0) * 3;
    for (int y = box.y0; y < box.y1; ++y)
        std::copy_n(rgb.begin() + long(size_t(y - box.y0) * row), row,
                    out.rgb.begin() + long((size_t(y) * k_screen_width + size_t(box.x0)) * 3));
}
