#include "tools/demo/demo_scene.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "app/random.h"
#include "resources/bmp.h"
#include "resources/msk.h"
#include "resources/scene_background.h"
#include "resources/tiff_picture.h"
#include "resources/zbf.h"

namespace {

constexpr int k_jpeg_quality = 92;

std::string three_digits(int n) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%03d", n);
    return buf;
}

RgbPicture picture_from(const std::vector<uint8_t>& rgb, int w, int h) {
    RgbPicture p;
    p.width = w;
    p.height = h;
    p.rgb = rgb;
    return p;
}

} // namespace

std::array<float, 3> file_point(const V3d& w) {
    return {static_cast<float>(w.x * 10), static_cast<float>(w.z * 10),
            static_cast<float>(-w.y * 10)};
}

V3d SceneView::on_level(double sx, double sy, double level) const {
    const Ray r = trace.ray(sx, sy);
    const double t = (level - r.o.y) / r.d.y;
    return r.o + r.d * t;
}

V3d SceneView::at_depth(double sx, double sy, double depth) const {
    const Ray r = trace.ray(sx, sy);
    const double z0 = trace.camera_depth(r.o), dz = trace.camera_depth(r.o + r.d) - z0;
    return r.o + r.d * ((depth - z0) / dz);
}

ScreenPoint SceneView::screen(const V3d& p) const {
    return project_point(
        camera.view_projection,
        Vec3{static_cast<float>(p.x), static_cast<float>(p.y), static_cast<float>(p.z)});
}

SceneView scene_view(const DemoScene& scene) {
    const std::string text = encode_scene_description(scene.description);
    SceneView view;
    Lighting lighting;
    FireTable fires{};
    Random random;
    apply_scene_description(text, {view.camera, lighting, fires, random});
    double m[4][4];
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) m[r][c] = view.camera.view_matrix.m[r][c];
    view.trace = make_trace_camera(m, view.camera.projection_matrix.m[0][0]);
    return view;
}

namespace {

// A strip's frames: the moving thing's screen box over all frames, each frame rendered there
// with the rest of the scene, stacked top to bottom.
void render_strip(const GeneratedScene& g, SceneBuilder& builder, DemoStrip& strip,
                  const RenderOptions& options, const SceneQuality& quality, DemoOutput& out) {
    Tracer others = filtered_tracer(builder.tracer, {strip.tag});
    std::vector<std::vector<Shape>> frames;
    double x0 = 640, y0 = 480, x1 = 0, y1 = 0;
    for (int k = 0; k < strip.frames; ++k) {
        SceneBuilder frame;
        frame.tag = strip.tag;
        strip.build_frame(frame, k);
        frames.push_back(frame.tracer.shapes());
        for (const Shape& s : frame.tracer.shapes()) {
            V3d lo, hi;
            shape_bounds(s, lo, hi);
            for (int c = 0; c < 8; ++c) {
                const ScreenPoint p =
                    g.view.screen({c & 1 ? hi.x : lo.x, c & 2 ? hi.y : lo.y, c & 4 ? hi.z : lo.z});
                x0 = std::min(x0, static_cast<double>(p.x)),
                y0 = std::min(y0, static_cast<double>(p.y));
                x1 = std::max(x1, static_cast<double>(p.x)),
                y1 = std::max(y1, static_cast<double>(p.y));
            }
        }
    }
    strip.x = std::clamp(static_cast<int>(x0) - 2, 0, k_screen_width - 1);
    strip.y = std::clamp(static_cast<int>(y0) - 2, 0, k_screen_height - 1);
    strip.width = std::clamp(static_cast<int>(x1) + 3, strip.x + 1, k_screen_width) - strip.x;
    strip.frame_height =
        std::clamp(static_cast<int>(y1) + 3, strip.y + 1, k_screen_height) - strip.y;
    RgbPicture picture;
    picture.width = strip.width;
    picture.height = strip.frame_height * strip.frames;
    for (const std::vector<Shape>& shapes : frames) {
        Tracer t;
        for (size_t i = 0; i < others.size(); ++i) t.add(others.shape(static_cast<int>(i)));
        for (const Shape& s : shapes) t.add(s);
        t.build();
        RenderOptions crop = options;
        crop.x0 = strip.x, crop.y0 = strip.y;
        crop.x1 = strip.x + strip.width, crop.y1 = strip.y + strip.frame_height;
        const RenderResult r = render_scene(t, builder.materials, g.view.trace, builder.env, crop);
        const std::vector<uint8_t> rgb =
            quality.shading ? tone_map(r, g.scene.exposure, crop.x0, crop.y0, crop.x1, crop.y1)
                            : std::vector<uint8_t>(
                                  static_cast<size_t>(strip.width * strip.frame_height * 3), 128);
        picture.rgb.insert(picture.rgb.end(), rgb.begin(), rgb.end());
    }
    out.add(strip.picture, encode_bmp24(picture));
}

// The tool picture of an object that can be taken: the object alone on black (the game draws
// it with black as transparent), seen as in the scene, large (92x88) above a 64x64 icon.
void render_tool_picture(const GeneratedScene& g, SceneBuilder& builder, const DemoObject& o,
                         DemoOutput& out) {
    std::vector<uint16_t> others;
    for (size_t i = 0; i < builder.tracer.size(); ++i) {
        const uint16_t t = builder.tracer.shape(static_cast<int>(i)).tag;
        if (t != o.tag && std::find(others.begin(), others.end(), t) == others.end())
            others.push_back(t);
    }
    const Tracer alone = filtered_tracer(builder.tracer, others);
    V3d lo{1e300, 1e300, 1e300}, hi{-1e300, -1e300, -1e300};
    for (size_t i = 0; i < alone.size(); ++i) {
        V3d a, b;
        shape_bounds(alone.shape(static_cast<int>(i)), a, b);
        lo = vmin(lo, a), hi = vmax(hi, b);
    }
    const V3d centre = (lo + hi) * 0.5;
    const double size = length(hi - lo);
    Environment env = builder.env;
    env.background = {0, 0, 0};
    RgbPicture picture;
    picture.width = 92;
    picture.height = 152;
    picture.rgb.assign(static_cast<size_t>(92 * 152 * 3), 0);
    const int boxes[2][4] = {{0, 0, 92, 88}, {0, 88, 64, 152}};
    for (const auto& box : boxes) {
        const int w = box[2] - box[0], h = box[3] - box[1];
        // The scene camera's direction, moved to frame the object in a w x h picture.
        const V3d forward = g.view.trace.axis_z, right = g.view.trace.axis_x,
                  down = g.view.trace.axis_y;
        const double scale = 0.85 * std::min(w, h) / size; // pixels per world unit
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                V3d sum{0, 0, 0};
                for (int k = 0; k < 4; ++k) {
                    const double sx = x + 0.25 + 0.5 * (k & 1) - w / 2.0,
                                 sy = y + 0.25 + 0.5 * (k >> 1) - h / 2.0;
                    const Ray ray{centre + right * (sx / scale) + down * (sy / scale) -
                                      forward * (size * 3),
                                  forward};
                    Hit hit;
                    if (!alone.intersect(ray, 1e-6, 1e9, hit)) continue;
                    // Lit by the scene's lights, without shadows from the rest of the scene.
                    const SceneMaterial& m = builder.materials[alone.shape(hit.shape).material];
                    const SurfacePoint sp = eval_material(m, hit);
                    V3d c = sp.albedo * (env.sky_strength * 0.6);
                    for (const SunLight& sun : env.suns)
                        c += sp.albedo * sun.colour * std::max(0.0, dot(sp.normal, sun.to_light));
                    sum += c;
                }
                sum = sum / 4;
                for (int ch = 0; ch < 3; ++ch) {
                    double v = sum[ch] * g.scene.exposure;
                    v = v * (2.51 * v + 0.03) / (v * (2.43 * v + 0.59) + 0.14);
                    v = clamp01(v);
                    v = v <= 0.0031308 ? v * 12.92 : 1.055 * std::pow(v, 1 / 2.4) - 0.055;
                    const bool covered = sum.x + sum.y + sum.z > 0;
                    const long byte = std::lround(clamp01(v) * 255);
                    // Black is transparent: the object itself never uses it.
                    picture.rgb[(static_cast<size_t>(box[1] + y) * 92 + box[0] + x) * 3 + ch] =
                        static_cast<uint8_t>(covered ? std::max<long>(byte, 1) : 0);
                }
            }
    }
    char path[40];
    std::snprintf(path, sizeof path, "gfx/tools/tool%03d.bmp", o.number);
    out.add(path, encode_bmp24(picture));
}

} // namespace

uint16_t depth_buffer_value(double depth) {
    const double z = (depth - 1) * k_focal_factor;
    const double v = std::round(z * k_software_depth_scale);
    return static_cast<uint16_t>(v < 0 ? 0 : v > 65535 ? 65535 : v);
}

GeneratedScene generate_scene(const SceneRecipe& recipe, const SceneQuality& quality,
                              DemoOutput& out) {
    GeneratedScene g;
    g.scene.number = recipe.number;
    recipe.describe(g.scene);
    g.view = scene_view(g.scene);
    SceneBuilder builder;
    recipe.build(g.view, builder, g.scene);
    // Strips show their first frame in the background.
    for (DemoStrip& strip : g.scene.strips) {
        builder.tag = strip.tag;
        strip.build_frame(builder, 0);
        builder.tag = 0;
    }

    std::vector<uint16_t> object_tags;
    for (const DemoObject& o : g.scene.objects) object_tags.push_back(o.tag);
    g.tracer = filtered_tracer(builder.tracer, object_tags);
    const Tracer& background = g.tracer;

    RenderOptions options;
    options.shading = quality.shading;
    options.aa = quality.aa;
    options.shadow_rays = quality.shadow_rays;
    options.ao_rays = quality.ao_rays;
    options.threads = quality.threads;
    builder.env.exposure = g.scene.exposure;
    g.background = render_scene(background, builder.materials, g.view.trace, builder.env, options);
    g.env = builder.env;

    std::vector<Shape> obstacles;
    for (const Shape& s : collect_obstacles(background, builder.walk_obstacles)) {
        bool is_object = false;
        for (uint16_t t : object_tags) is_object = is_object || s.tag == t;
        if (!is_object) obstacles.push_back(s);
    }
    g.walk_map = build_walk_map(g.background, obstacles, g.scene.walk);

    const std::string stem = "data/scr_" + three_digits(recipe.number);
    const int w = k_screen_width, h = k_screen_height;
    std::vector<uint8_t> rgb = quality.shading
                                   ? tone_map(g.background, g.scene.exposure, 0, 0, w, h)
                                   : std::vector<uint8_t>(static_cast<size_t>(w * h * 3), 128);
    std::vector<uint8_t> tiff;
    if (encode_tiff(picture_from(rgb, w, h), TiffCompression::jpeg, k_jpeg_quality, tiff))
        out.add(stem + ".tif", std::move(tiff));

    std::vector<uint16_t> depth16(k_depth_pixels, 65535);
    std::vector<float> depth_float(k_depth_pixels, k_sky_depth);
    for (size_t i = 0; i < k_depth_pixels; ++i) {
        const PixelInfo& p = g.background.info[i];
        if (!p.hit) continue;
        depth16[i] = depth_buffer_value(p.depth);
        // The float picture holds the negated camera depth times ten: unproject() takes a
        // tenth of it and walks the eye's ray back to the surface.
        depth_float[i] = static_cast<float>(-10 * p.depth);
    }
    std::vector<uint8_t> zbf, msk;
    if (encode_zbf(std::span<const uint16_t, k_depth_pixels>(depth16.data(), k_depth_pixels), zbf))
        out.add(stem + ".zbf", std::move(zbf));
    if (encode_msk(std::span<const float, k_depth_pixels>(depth_float.data(), k_depth_pixels), msk))
        out.add(stem + "m.msk", std::move(msk));
    out.add(stem + "m.raw", g.walk_map);
    out.add_text(stem + ".txt", encode_scene_description(g.scene.description));

    // Object pictures: the same pixels rendered with the object present.
    if (!g.scene.objects.empty()) {
        RenderOptions crop = options;
        for (const DemoObject& o : g.scene.objects) {
            // The picture reaches from its given corner over every pixel the object covers.
            // Objects are small: look for them in a window around their corner.
            RenderOptions probe = options;
            probe.shading = false;
            probe.x0 = std::max(0, o.x - 60), probe.y0 = std::max(0, o.y - 60);
            probe.x1 = std::min(w, o.x + 240), probe.y1 = std::min(h, o.y + 240);
            const Tracer with_object = filtered_tracer(builder.tracer, [&] {
                std::vector<uint16_t> others;
                for (uint16_t t : object_tags)
                    if (t != o.tag) others.push_back(t);
                return others;
            }());
            const RenderResult geometry =
                render_scene(with_object, builder.materials, g.view.trace, builder.env, probe);
            int x1 = o.x, y1 = o.y;
            std::array<int, 4> seen{w, h, 0, 0};
            for (int y = probe.y0; y < probe.y1; ++y)
                for (int x = probe.x0; x < probe.x1; ++x)
                    if (geometry.at(x, y).tag == o.tag) {
                        x1 = std::max(x1, x + 3);
                        y1 = std::max(y1, y + 3);
                        seen = {std::min(seen[0], x), std::min(seen[1], y),
                                std::max(seen[2], x + 1), std::max(seen[3], y + 1)};
                    }
            g.object_pixels.push_back(seen);
            // An object that is nowhere to be seen (the tests report it) still gets a picture.
            x1 = std::clamp(x1, o.x + 1, w);
            y1 = std::clamp(y1, o.y + 1, h);
            crop.x0 = o.x, crop.y0 = o.y, crop.x1 = x1, crop.y1 = y1;
            RenderResult shaded =
                render_scene(with_object, builder.materials, g.view.trace, builder.env, crop);
            const std::vector<uint8_t> pixels =
                quality.shading
                    ? tone_map(shaded, g.scene.exposure, o.x, o.y, x1, y1)
                    : std::vector<uint8_t>(static_cast<size_t>((x1 - o.x) * (y1 - o.y) * 3), 128);
            out.add(o.picture, encode_bmp24(picture_from(pixels, x1 - o.x, y1 - o.y)));
            g.object_sizes.push_back({x1 - o.x, y1 - o.y});
            if (o.tool) render_tool_picture(g, builder, o, out);
        }
    }
    for (DemoStrip& strip : g.scene.strips) render_strip(g, builder, strip, options, quality, out);
    return g;
}
