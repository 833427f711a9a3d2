#include "resources/picture.h"

#include <cstdio>
#include <cstring>

#include "app/display_device.h"
#include "platform/files.h"
#include "resources/asset_file.h"
#include "resources/bmp.h"
#include "resources/pixel_convert.h"

namespace {

SurfacePtr create_picture_surface(DisplayDevice& device, int width, int height) {
    SurfacePtr s;
    if (display_create_surface(device.display, {width, height, {}, Memory::video}, s) == Result::ok)
        return s;
    display_create_surface(device.display, {width, height, {}, Memory::anywhere}, s);
    return s;
}

} // namespace

bool convert_bmp24_into(std::span<const uint8_t> file, int display_bpp, Surface& surface) {
    Bmp24Layout layout;
    if (!bmp24_layout(file, layout) || layout.width != surface.width ||
        layout.height != surface.height ||
        bytes_per_pixel(surface.format) != display_pixel_bytes(display_bpp))
        return false;
    LockedRect lock;
    if (surface_lock(surface, lock) != Result::ok) return false;
    // The file's first row is the picture's bottom row; the dither's row counter follows the
    // file order, starting at the height.
    for (int k = 0; k < layout.height; ++k) {
        uint8_t* dst = lock.bits + static_cast<size_t>(layout.height - 1 - k) * lock.pitch;
        convert_row(layout.stored_row(file, k), 3, layout.width, layout.height - k, display_bpp,
                    dst);
    }
    surface_unlock(surface);
    return true;
}

bool load_picture_surface(DisplayDevice& display, SurfacePtr& holder, std::string_view path) {
    std::vector<uint8_t> file;
    if (!read_asset(path, k_surface_picture_max, file)) return false;
    return picture_surface_from_file(display, holder, file);
}

bool picture_surface_from_file(DisplayDevice& display, SurfacePtr& holder,
                               std::span<const uint8_t> file) {
    Bmp24Layout layout;
    if (!bmp24_layout(file, layout)) return false;
    holder.reset();
    SurfacePtr surface = create_picture_surface(display, layout.width, layout.height);
    if (!surface) return false;
    const bool converted = convert_bmp24_into(file, display.display_bpp, *surface);
    holder = std::move(surface);
    return converted;
}

bool load_picture_rgb64(std::span<uint16_t> destination, std::string_view path, int* width,
                        int* height) {
    std::vector<uint8_t> file;
    if (!read_asset(path, k_rgb64_picture_max, file)) return false;
    return decode_picture_rgb64(file, destination, width, height);
}

bool decode_picture_rgb64(std::span<const uint8_t> file, std::span<uint16_t> destination,
                          int* width, int* height) {
    Bmp24Layout layout;
    if (!bmp24_layout(file, layout)) return false;
    const size_t words = static_cast<size_t>(layout.width) * layout.height * 4;
    if (words > destination.size()) return false;
    for (int k = 0; k < layout.height; ++k) {
        const uint8_t* src = layout.stored_row(file, k);
        uint16_t* dst =
            destination.data() + static_cast<size_t>(layout.height - 1 - k) * layout.width * 4;
        for (int x = 0; x < layout.width; ++x, src += 3, dst += 4) {
            dst[0] = src[0];
            dst[1] = src[1];
            dst[2] = src[2];
            dst[3] = 0;
        }
    }
    if (width) *width = layout.width;
    if (height) *height = layout.height;
    return true;
}

bool decode_palette_texture(std::span<const uint8_t> file, PaletteTexture& texture) {
    if (file.size() < k_bmp8_file_bytes) return false;
    const uint8_t* table = file.data() + k_bmp_header_bytes;
    for (int i = 0; i < 256; ++i)
        for (int c = 0; c < 4; ++c)
            texture.palette[i][c] = static_cast<uint16_t>(table[i * 4 + c] * 257 / 2);
    const uint8_t* rows = file.data() + k_bmp8_pixels_at;
    for (int k = 0; k < 256; ++k)
        std::memcpy(texture.indices + (255 - k) * 256, rows + k * 256, 256);
    return true;
}

bool load_palette_texture(PaletteTexture& texture, std::string_view path) {
    std::vector<uint8_t> file;
    if (!read_asset(path, k_palette_texture_max, file)) return false;
    return decode_palette_texture(file, texture);
}

std::string fire_frame_path(int n) {
    char path[32];
    std::snprintf(path, sizeof path, "textures/fire%2.2d.raw", n);
    return path;
}

void decode_fire_frame(std::span<const uint8_t> file, FireFrames& frames, int n) {
    if (n < 0 || n >= k_fire_frame_count) return;
    uint8_t* dst = frames.bgra.data() + static_cast<size_t>(n) * k_fire_frame_pixels * 4;
    for (size_t i = 0; i < k_fire_frame_pixels; ++i, dst += 4) {
        // Only the first 1024 pixels are used; pixels a short file does not hold are black.
        const bool present = file.size() >= (i + 1) * 3;
        dst[0] = present ? file[i * 3 + 2] : 0;
        dst[1] = present ? file[i * 3 + 1] : 0;
        dst[2] = present ? file[i * 3] : 0;
        dst[3] = 0;
    }
}

void load_fire_frames(FireFrames& frames) {
    for (int n = 0; n < k_fire_frame_count; ++n) {
        FILE* f = file_open(fire_frame_path(n), "rb");
        if (f == nullptr) continue; // a missing frame keeps what it held
        uint8_t rgb[k_fire_frame_pixels * 3];
        const size_t got = std::fread(rgb, 1, sizeof rgb, f);
        std::fclose(f);
        decode_fire_frame(std::span(rgb, got), frames, n);
    }
}

std::vector<uint8_t> encode_fire_frame(const RgbPicture& picture) {
    return picture.rgb;
}

void load_picture_slot(DisplayDevice& display, PictureSlot& slot, std::string_view path) {
    std::string name(path.substr(0, 127));
    const size_t dot = name.find('.');
    if (dot != std::string::npos && dot + 4 < name.size()) name.resize(dot + 4);
    slot.name = name;
    load_picture_surface(display, slot.surface, path);
    slot.loaded = slot.surface != nullptr;
}
