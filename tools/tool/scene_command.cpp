// scene-desc, scene, zbf, msk: a scene's files as the game reads them.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "app/game.h"
#include "resources/asset_file.h"
#include "resources/msk.h"
#include "resources/scene_background.h"
#include "resources/scene_description.h"
#include "resources/zbf.h"
#include "tools/common/png_image.h"
#include "tools/tool/commands.h"
#include "tools/tool/resource_output.h"

namespace {

bool asset_exists(const std::string& path) {
    AssetStream a = open_asset_stream(path, "rb", 0);
    const bool found = a.file != nullptr;
    close_asset(a);
    return found;
}

RgbImage grey_image(int w, int h, const std::vector<uint8_t>& values) {
    RgbImage image{w, h, {}};
    for (uint8_t v : values) image.rgb.insert(image.rgb.end(), {v, v, v});
    return image;
}

// Depth pictures as grey, near dark and far light, stretched over the range they use.
template <typename T> RgbImage depth_image(const std::vector<T>& depth) {
    double lo = INFINITY, hi = -INFINITY;
    for (T v : depth)
        if (std::isfinite(static_cast<double>(v)))
            lo = std::min(lo, double(v)), hi = std::max(hi, double(v));
    std::vector<uint8_t> grey(depth.size(), 0);
    if (hi > lo)
        for (size_t k = 0; k < depth.size(); ++k)
            if (std::isfinite(static_cast<double>(depth[k])))
                grey[k] = static_cast<uint8_t>((depth[k] - lo) / (hi - lo) * 255.0 + 0.5);
    return grey_image(640, 480, grey);
}

// Walkable cells white, blocked cells grey, cells that also stop straight lines black.
RgbImage walk_map_image(const std::vector<uint8_t>& map) {
    std::vector<uint8_t> grey(map.size());
    for (size_t k = 0; k < map.size(); ++k)
        grey[k] = map[k] == 0 ? 255 : map[k] == k_walk_blocked_line ? 0 : 128;
    return grey_image(k_walk_map_width, k_walk_map_height, grey);
}

template <typename T> std::vector<uint8_t> raw_bytes(const std::vector<T>& values) {
    std::vector<uint8_t> out(values.size() * sizeof(T));
    std::memcpy(out.data(), values.data(), out.size()); // the machine is little-endian
    return out;
}

int scene_desc(std::vector<std::string> args) {
    bool ok = true;
    const auto seed = take_option(args, "--seed", ok);
    int seed_value = 1;
    if (!ok || args.size() != 1 || (seed && !parse_int(*seed, seed_value)))
        return usage("scene-desc FILE [--seed N]");
    if (!asset_exists(args[0])) return fail(args[0] + " not found");
    static Game game;
    random_seed(game.random, static_cast<uint32_t>(seed_value));
    load_scene_description(game, args[0]);
    Json j = Json::object();
    put_scene_description(j, game);
    print_json(j);
    return 0;
}

int scene(std::vector<std::string> args) {
    bool ok = true;
    const std::optional<int> bpp = take_bpp(args, ok);
    const auto prefix = take_option(args, "--png-prefix", ok);
    int number = 0;
    if (!ok || !bpp || args.size() != 1 || !parse_int(args[0], number))
        return usage("scene NNN [--bpp 32|16|15] [--png-prefix P]");
    static Game game;
    make_tool_display(game.display, *bpp);
    display_create_surface(game.display.display, {640, 480, {}, Memory::video},
                           game.display.background_surface);
    display_create_surface(game.display.display, {640, 480, {}, Memory::system},
                           game.display.background_pristine);
    game.story.current_scene = number;
    const std::string stem = scene_file_stem(number);
    const SceneLoad result = load_scene_background(game);
    if (result != SceneLoad::complete)
        return fail("scene " + args[0] + " is incomplete in this folder");

    Json j = Json::object();
    j["current_scene"] = number;
    j["display_bpp"] = *bpp;
    j["description"] = asset_exists(stem + ".txt");
    put_scene_description(j, game);
    if (prefix) {
        const SceneBuffers& b = game.scene_buffers;
        const std::pair<std::string, RgbImage> pictures[] = {
            {*prefix + "picture.png", surface_to_rgb(*game.display.background_surface)},
            {*prefix + "depth.png", depth_image(b.scene_depth16)},
            {*prefix + "depth_float.png", depth_image(b.scene_depth_float)},
            {*prefix + "walk_map.png", walk_map_image(b.scene_walk_map)},
        };
        Json written = Json::array();
        for (const auto& [path, image] : pictures) {
            if (!write_png(path, image)) return fail("cannot write " + path);
            written.push(path);
        }
        j["pictures"] = written;
    }
    print_json(j);
    return 0;
}

int depth_file(const std::vector<std::string>& input, bool floats) {
    std::vector<std::string> args = input;
    bool ok = true;
    const auto raw = take_option(args, "--raw", ok);
    if (!ok || !raw || args.size() != 1)
        return usage(floats ? "msk FILE --raw OUT" : "zbf FILE --raw OUT");
    std::vector<uint8_t> file;
    if (!read_asset(args[0], floats ? k_msk_file_max : k_zbf_file_max, file))
        return fail(args[0] + " not found");
    std::vector<uint8_t> out;
    bool whole;
    if (floats) {
        std::vector<float> depth(k_depth_pixels);
        whole = decode_msk(file, std::span<float, k_depth_pixels>(depth));
        out = raw_bytes(depth);
    } else {
        std::vector<uint16_t> depth(k_depth_pixels);
        whole = decode_zbf(file, std::span<uint16_t, k_depth_pixels>(depth));
        out = raw_bytes(depth);
    }
    // A damaged file is still decoded as the game decodes it; the exit code tells.
    if (!write_bytes(*raw, out)) return fail("cannot write " + *raw);
    Json j = Json::object();
    j[floats ? "scene_depth_float" : "scene_depth16"] = *raw;
    j["size"] = static_cast<uint64_t>(out.size());
    j["whole"] = whole;
    print_json(j);
    return whole ? 0 : fail(args[0] + " is damaged: parts of the picture are missing");
}

} // namespace

int run_scene_desc_command(const std::vector<std::string>& args) {
    return scene_desc(args);
}

int run_scene_command(const std::vector<std::string>& args) {
    return scene(args);
}

int run_zbf_command(const std::vector<std::string>& args) {
    return depth_file(args, false);
}

int run_msk_command(const std::vector<std::string>& args) {
    return depth_file(args, true);
}
