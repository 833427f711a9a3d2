#include "tools/tool/resource_output.h"

#include <charconv>
#include <cstdio>

#include "app/game.h"
#include "platform/files.h"
#include "tools/common/png_image.h"

void make_tool_display(DisplayDevice& dev, int bpp) {
    dev.display.pool = std::make_shared<VideoMemoryPool>();
    dev.display.pool->total = dev.display.pool->free = 256ull << 20;
    dev.display.exclusive = true;
    dev.display.mode_bpp = bpp == 32 ? 32 : 16;
    dev.display.mode_format = bpp == 32   ? k_format_xrgb8888
                              : bpp == 16 ? k_format_rgb565
                                          : k_format_rgb555;
    dev.display_bpp = bpp;
}

void put_scene_description(Json& j, const Game& game) {
    const SceneCamera& c = game.camera;
    j["camera_eye"] = json_vec3(c.camera_eye);
    j["camera_target"] = json_vec3(c.camera_target);
    j["camera_up"] = json_vec3(c.camera_up);
    j["view_matrix"] = json_matrix(c.view_matrix);
    j["projection_matrix"] = json_matrix(c.projection_matrix);
    j["scene_scale"] = c.scene_scale;
    j["ambient_colour"] = game.lighting.ambient_colour;
    Json fires = Json::array();
    for (const SceneFire& f : game.fires) {
        Json o = Json::object();
        o["position"] = json_vec3(f.position);
        o["lifetime"] = f.lifetime;
        o["light"] = f.light;
        o["size"] = f.size;
        o["spread"] = f.spread;
        o["height"] = f.height;
        o["glow"] = f.glow;
        Json particles = Json::array();
        for (const FireParticle& p : f.particles) {
            Json q = json_vec3(p.offset);
            q.push(p.age);
            particles.push(q);
        }
        o["particles"] = particles;
        fires.push(o);
    }
    j["fires"] = fires;
    Json lights = Json::array();
    for (const LightSlot& l : game.lighting.light_table) {
        Json o = Json::object();
        o["lifetime"] = l.lifetime;
        o["colour"] = l.colour;
        o["range"] = l.range;
        o["position"] = json_vec3(l.position);
        o["spot_mode"] = l.spot_mode;
        o["direction"] = json_vec3(l.direction);
        o["cone"] = l.cone;
        lights.push(o);
    }
    j["light_table"] = lights;
}

std::optional<std::string> take_option(std::vector<std::string>& args, const std::string& name,
                                       bool& ok) {
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] != name) continue;
        if (i + 1 >= args.size()) {
            ok = false;
            return std::nullopt;
        }
        std::string value = args[i + 1];
        args.erase(args.begin() + static_cast<long>(i), args.begin() + static_cast<long>(i) + 2);
        return value;
    }
    return std::nullopt;
}

bool take_flag(std::vector<std::string>& args, const std::string& name) {
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == name) {
            args.erase(args.begin() + static_cast<long>(i));
            return true;
        }
    }
    return false;
}

bool parse_int(const std::string& text, int& value) {
    const char* end = text.data() + text.size();
    return !text.empty() && std::from_chars(text.data(), end, value).ptr == end;
}

std::optional<int> take_bpp(std::vector<std::string>& args, bool& ok) {
    const auto text = take_option(args, "--bpp", ok);
    if (!text) return 32;
    int bpp = 0;
    if (!parse_int(*text, bpp) || (bpp != 32 && bpp != 16 && bpp != 15)) return std::nullopt;
    return bpp;
}

RgbImage surface_to_rgb(const Surface& s) {
    RgbImage image{s.width, s.height, {}};
    image.rgb.reserve(static_cast<size_t>(s.width) * s.height * 3);
    for (int y = 0; y < s.height; ++y)
        for (int x = 0; x < s.width; ++x) {
            const Rgb8 c = unpack_rgb(s.format, surface_pixel(s, x, y));
            image.rgb.insert(image.rgb.end(), {c.r, c.g, c.b});
        }
    return image;
}

bool write_bytes(const std::string& path, std::span<const uint8_t> bytes) {
    return file_write_atomic(path, bytes);
}

void print_json(const Json& j) {
    std::printf("%s\n", j.dump().c_str());
}

int fail(const std::string& message) {
    std::fprintf(stderr, "vantor-tool: %s\n", message.c_str());
    return 1;
}

int usage(const char* text) {
    std::fprintf(stderr, "usage: vantor-tool %s\n", text);
    return 2;
}
