// picture: a 24-bit bitmap or a TIFF as the game loads it into a display surface.
#include <cstring>

#include "app/display_device.h"
#include "resources/picture.h"
#include "resources/tiff_picture.h"
#include "tools/common/png_image.h"
#include "tools/tool/commands.h"
#include "tools/tool/resource_output.h"

namespace {

constexpr const char* k_usage = "picture PATH [--bpp 32|16|15] --raw OUT | --png OUT";

bool is_tiff(const std::string& path) {
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos) return false;
    std::string ext = path.substr(dot + 1);
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext == "tif" || ext == "tiff";
}

// The surface's pixel words, rows top first, little-endian, without row padding.
std::vector<uint8_t> raw_words(const Surface& s) {
    const size_t row_bytes = static_cast<size_t>(s.width) * bytes_per_pixel(s.format);
    std::vector<uint8_t> out(row_bytes * s.height);
    for (int y = 0; y < s.height; ++y) std::memcpy(out.data() + y * row_bytes, s.row(y), row_bytes);
    return out;
}

} // namespace

int run_picture_command(const std::vector<std::string>& input) {
    std::vector<std::string> args = input;
    bool ok = true;
    const std::optional<int> bpp = take_bpp(args, ok);
    const auto raw = take_option(args, "--raw", ok);
    const auto png = take_option(args, "--png", ok);
    if (!ok || !bpp || args.size() != 1 || raw.has_value() == png.has_value())
        return usage(k_usage);
    const std::string path = args[0];

    DisplayDevice dev;
    make_tool_display(dev, *bpp);
    SurfacePtr surface;
    if (is_tiff(path)) {
        display_create_surface(dev.display, {640, 480, {}, Memory::anywhere}, surface);
        if (!load_tiff_surface(*surface, *bpp, path))
            return fail(path + " is missing or not a 640x480 RGB TIFF");
    } else if (!load_picture_surface(dev, surface, path) || !surface) {
        return fail(path + " is missing or not a 24-bit bitmap");
    }
    const bool written =
        raw ? write_bytes(*raw, raw_words(*surface)) : write_png(*png, surface_to_rgb(*surface));
    if (!written) return fail("cannot write " + (raw ? *raw : *png));
    Json j = Json::object();
    j["width"] = surface->width;
    j["height"] = surface->height;
    j["display_bpp"] = *bpp;
    print_json(j);
    return 0;
}
