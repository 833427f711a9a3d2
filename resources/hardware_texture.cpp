#include "resources/hardware_texture.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string_view>

namespace {

// Pixel-format flags of kinds a texture request never takes (no device of ours lists them, but
// a format list may).
constexpr uint32_t k_pf_fourcc = 0x4;
constexpr uint32_t k_pf_palette8 = 0x20;
constexpr uint32_t k_pf_luminance = 0x20000;
constexpr uint32_t k_pf_bump = 0x80000;

bool same_name(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

bool has_extension(std::string_view name, std::string_view ext) {
    return name.size() >= ext.size() && same_name(name.substr(name.size() - ext.size()), ext);
}

NamedTexture* find(HardwareTextures& textures, std::string_view name) {
    for (NamedTexture* t = textures.named.get(); t; t = t->next.get())
        if (same_name(t->name, name)) return t;
    return nullptr;
}

void unlink(HardwareTextures& textures, NamedTexture* record) {
    for (std::unique_ptr<NamedTexture>* link = &textures.named; *link; link = &(*link)->next) {
        if (link->get() != record) continue;
        std::unique_ptr<NamedTexture> gone = std::move(*link);
        *link = std::move(gone->next);
        return;
    }
}

const PixelFormat* first_match(const std::vector<PixelFormat>& formats, int bits, bool alpha,
                               bool palettised) {
    for (const PixelFormat& f : formats) {
        if (f.flags & (k_pf_luminance | k_pf_bump)) continue;
        if (palettised) {
            if ((f.flags & k_pf_palette8) && f.bit_count == 8) return &f;
            continue;
        }
        if (!(f.flags & PF_RGB) || (f.flags & k_pf_fourcc) || f.bit_count < 16) continue;
        if (((f.flags & PF_ALPHA_PIXELS) != 0) == alpha &&
            f.bit_count == static_cast<uint32_t>(bits))
            return &f;
    }
    return nullptr;
}

// The picture in `format` on a system-memory surface of its own size, each channel cut to the
// bits of its mask.
SurfacePtr picture_surface(const Image& picture, const PixelFormat& format) {
    SurfacePtr s = make_system_surface(picture.width, picture.height, format);
    const int bytes = bytes_per_pixel(format);
    for (int y = 0; y < picture.height; ++y) {
        uint8_t* row = s->row(y);
        for (int x = 0; x < picture.width; ++x) {
            const uint32_t texel =
                pack_argb(format, picture.argb[static_cast<size_t>(y) * picture.width + x]);
            if (bytes == 4) {
                std::memcpy(row + 4 * x, &texel, 4);
            } else {
                const auto w = static_cast<uint16_t>(texel);
                std::memcpy(row + 2 * x, &w, 2);
            }
        }
    }
    return s;
}

} // namespace

const PixelFormat* choose_texture_format(const std::vector<PixelFormat>& formats, int bits,
                                         bool alpha) {
    if (const PixelFormat* f = first_match(formats, bits, alpha, bits <= 8)) return f;
    return first_match(formats, 16, alpha, false);
}

void load_texture_file(HardwareTextures& textures, const Device3D* device, const char* path,
                       int n) {
    if (n < 0 || n >= k_texture_count) return;
    textures.texture_table[n].reset();
    if (device == nullptr || path == nullptr) return;
    texture_create_from_file(*device, path, textures.texture_table[n]);
}

Result create_named_texture(HardwareTextures& textures, const char* name, int stage,
                            uint32_t flags) {
    if (name == nullptr || *name == '\0') return Result::failed;
    if (find(textures, name)) return Result::ok;

    auto record = std::make_unique<NamedTexture>();
    record->name = name;
    record->stage = stage;
    record->flags = flags;
    std::vector<uint8_t> bytes;
    bool loaded = false;
    if (read_image_file(name, bytes)) {
        if (has_extension(name, ".bmp"))
            loaded = decode_bmp(bytes, record->picture);
        else if (has_extension(name, ".tga"))
            loaded = decode_targa(bytes, record->picture);
    }
    if (!loaded) return Result::failed;
    record->width = record->picture.width;
    record->height = record->picture.height;
    record->bits_per_pixel = record->picture.bits_per_pixel;
    record->has_alpha = record->picture.has_alpha;
    record->next = std::move(textures.named);
    textures.named = std::move(record);
    return Result::ok;
}

Result restore_named_texture(HardwareTextures& textures, const char* name, const Device3D* device) {
    NamedTexture* record = name ? find(textures, name) : nullptr;
    if (record == nullptr) return Result::failed;
    record->surface.reset();
    if (device == nullptr) return Result::failed;

    int width = record->width, height = record->height;
    texture_size_for(device_caps(*device), width, height);
    const int bits = (record->flags & k_texture_request_16_bits) ? 16 : record->bits_per_pixel;
    const PixelFormat* format =
        choose_texture_format(device_texture_formats(*device), bits, record->has_alpha);
    if (format == nullptr) return Result::wrong_format;
    TexturePtr texture;
    if (Result r = texture_create(*device, width, height, *format, texture); r != Result::ok)
        return r;
    // The picture is converted at its own size and stretched over the whole texture.
    SurfacePtr picture = picture_surface(record->picture, *format);
    if (Result r = texture_copy_from(*texture, *picture); r != Result::ok) return r;
    record->surface = std::move(texture);
    return Result::ok;
}

TexturePtr get_named_texture(HardwareTextures& textures, const char* name) {
    NamedTexture* record = name ? find(textures, name) : nullptr;
    return record ? record->surface : nullptr;
}

void destroy_named_texture(HardwareTextures& textures, const char* name) {
    if (NamedTexture* record = name ? find(textures, name) : nullptr) unlink(textures, record);
}
