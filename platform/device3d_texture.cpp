// Textures of the 3D device: creation in the listed formats, locking, the decoded copy the
// rasteriser samples, and textures made from picture files.
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

#include "platform/device3d_internal.h"
#include "platform/image_file.h"

namespace {

bool is_pow2(int v) {
    return v > 0 && (v & (v - 1)) == 0;
}

int round_up_pow2(int v) {
    int p = 1;
    while (p < v) p *= 2;
    return p;
}

// The 8-bit alpha of a texel word (the colour channels go through unpack_rgb): a short channel
// repeats its high bits so that full intensity stays 255.
uint32_t expand_alpha(uint32_t texel, uint32_t mask) {
    const int shift = std::countr_zero(mask);
    const int bits = std::popcount(mask);
    const uint32_t v = (texel & mask) >> shift;
    if (bits >= 8) return v >> (bits - 8);
    uint32_t out = v << (8 - bits);
    for (int filled = bits; filled < 8; filled += bits) out |= (v << (8 - bits)) >> filled;
    return out & 0xFF;
}

uint32_t pack_alpha(uint32_t value8, uint32_t mask) {
    if (mask == 0) return 0;
    const int bits = std::min(std::popcount(mask), 8);
    return ((value8 >> (8 - bits)) << std::countr_zero(mask)) & mask;
}

uint32_t read_texel(const uint8_t* p, int bytes) {
    if (bytes == 4) {
        uint32_t v;
        std::memcpy(&v, p, 4);
        return v;
    }
    uint16_t v;
    std::memcpy(&v, p, 2);
    return v;
}

void write_texel(uint8_t* p, int bytes, uint32_t v) {
    if (bytes == 4) {
        std::memcpy(p, &v, 4);
        return;
    }
    const auto w = static_cast<uint16_t>(v);
    std::memcpy(p, &w, 2);
}

// A picture resampled to another size (bilinear, edges clamped): how a picture whose size the
// device does not take fills its texture.
std::vector<uint32_t> resample(const Image& image, int width, int height) {
    if (image.width == width && image.height == height) return image.argb;
    std::vector<uint32_t> out(static_cast<size_t>(width) * height);
    auto at = [&](int x, int y) {
        x = std::clamp(x, 0, image.width - 1);
        y = std::clamp(y, 0, image.height - 1);
        return image.argb[static_cast<size_t>(y) * image.width + x];
    };
    for (int y = 0; y < height; ++y) {
        const float sy = (static_cast<float>(y) + 0.5f) * image.height / height - 0.5f;
        const int y0 = static_cast<int>(std::floor(sy));
        const float fy = sy - static_cast<float>(y0);
        for (int x = 0; x < width; ++x) {
            const float sx = (static_cast<float>(x) + 0.5f) * image.width / width - 0.5f;
            const int x0 = static_cast<int>(std::floor(sx));
            const float fx = sx - static_cast<float>(x0);
            uint32_t result = 0;
            for (int shift = 0; shift < 32; shift += 8) {
                auto c = [&](int cx, int cy) {
                    return static_cast<float>((at(cx, cy) >> shift) & 0xFF);
                };
                const float top = c(x0, y0) + (c(x0 + 1, y0) - c(x0, y0)) * fx;
                const float bottom = c(x0, y0 + 1) + (c(x0 + 1, y0 + 1) - c(x0, y0 + 1)) * fx;
                const auto v = static_cast<uint32_t>(std::lround(top + (bottom - top) * fy));
                result |= std::min(v, 255u) << shift;
            }
            out[static_cast<size_t>(y) * width + x] = result;
        }
    }
    return out;
}

const PixelFormat* default_format(const Device3D& device, bool alpha) {
    for (const PixelFormat& f : device.texture_formats)
        if (f.bit_count == 32 && ((f.flags & PF_ALPHA_PIXELS) != 0) == alpha) return &f;
    return device.texture_formats.empty() ? nullptr : &device.texture_formats.front();
}

} // namespace

void texture_size_for(const DeviceCaps& caps, int& width, int& height) {
    if (caps.texture_caps & TEXTURECAPS_POW2) {
        width = round_up_pow2(width);
        height = round_up_pow2(height);
    }
    if (caps.texture_caps & TEXTURECAPS_SQUAREONLY) width = height = std::max(width, height);
}

uint32_t pack_argb(const PixelFormat& format, uint32_t argb) {
    return pack_alpha(argb >> 24, format.a_mask) |
           pack_rgb(format, (argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
}

Result texture_create(const Device3D& device, int width, int height, const PixelFormat& format,
                      TexturePtr& out) {
    const DeviceCaps& caps = device.caps;
    if (width <= 0 || height <= 0 || width > caps.max_texture_width ||
        height > caps.max_texture_height)
        return Result::failed;
    if ((caps.texture_caps & TEXTURECAPS_POW2) && (!is_pow2(width) || !is_pow2(height)))
        return Result::failed;
    if ((caps.texture_caps & TEXTURECAPS_SQUAREONLY) && width != height) return Result::failed;
    const auto& formats = device.texture_formats;
    if (std::find(formats.begin(), formats.end(), format) == formats.end())
        return Result::wrong_format;
    auto texture = std::make_shared<Texture>();
    texture->width = width;
    texture->height = height;
    texture->format = format;
    texture->texels = make_system_surface(width, height, format);
    texture->stale = true;
    out = std::move(texture);
    return Result::ok;
}

Result texture_lock(Texture& texture, LockedRect& out) {
    return surface_lock(*texture.texels, out);
}

void texture_unlock(Texture& texture) {
    surface_unlock(*texture.texels);
    texture.stale = true;
}

Result texture_copy_from(Texture& texture, Surface& source) {
    if (source.format.bit_count != texture.format.bit_count) return Result::wrong_format;
    const Result r = surface_copy_stretched(*texture.texels, nullptr, source, nullptr, false);
    if (r == Result::ok) texture.stale = true;
    return r;
}

void texture_refresh(Texture& texture) {
    if (!texture.stale) return;
    const PixelFormat& f = texture.format;
    const int bytes = bytes_per_pixel(f);
    texture.argb.resize(static_cast<size_t>(texture.width) * texture.height);
    for (int y = 0; y < texture.height; ++y) {
        const uint8_t* row = texture.texels->row(y);
        uint32_t* out = texture.argb.data() + static_cast<size_t>(y) * texture.width;
        for (int x = 0; x < texture.width; ++x) {
            const uint32_t t = read_texel(row + x * bytes, bytes);
            const uint32_t a = f.a_mask ? expand_alpha(t, f.a_mask) : 255;
            const Rgb8 c = unpack_rgb(f, t);
            out[x] = a << 24 | uint32_t{c.r} << 16 | uint32_t{c.g} << 8 | c.b;
        }
    }
    texture.stale = false;
}

Result texture_create_from_file(const Device3D& device, const char* path, TexturePtr& out) {
    std::vector<uint8_t> bytes;
    Image image;
    if (path == nullptr || !read_image_file(path, bytes) || !decode_image(bytes, image))
        return Result::failed;
    const DeviceCaps& caps = device.caps;
    int width = std::min(image.width, caps.max_texture_width);
    int height = std::min(image.height, caps.max_texture_height);
    texture_size_for(caps, width, height);

    const PixelFormat* format = default_format(device, image.has_alpha);
    if (format == nullptr) return Result::wrong_format;
    TexturePtr texture;
    if (Result r = texture_create(device, width, height, *format, texture); r != Result::ok)
        return r;
    const std::vector<uint32_t> pixels = resample(image, width, height);
    LockedRect lock;
    if (Result r = texture_lock(*texture, lock); r != Result::ok) return r;
    const int texel_bytes = bytes_per_pixel(*format);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            write_texel(lock.bits + static_cast<size_t>(y) * lock.pitch + x * texel_bytes,
                        texel_bytes,
                        pack_argb(*format, pixels[static_cast<size_t>(y) * width + x]));
    texture_unlock(*texture);
    out = std::move(texture);
    return Result::ok;
}
