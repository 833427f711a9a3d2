// Hardware textures: the texture table, the named-texture registry, size rounding and the choice
// of texture format, with pictures written by the bitmap and Targa writers.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/headless/headless_platform.h"
#include "resources/bmp.h"
#include "resources/hardware_texture.h"
#include "resources/targa_writer.h"
#include "tests/resources/resource_test_support.h"
#include "tests/support/largest_allocation.h"

namespace {

struct Rig {
    Display display;
    Driver3DPtr driver;
    SurfacePtr target = make_system_surface(8, 8, k_format_xrgb8888);

    Rig() {
        headless::machine() = {};
        display_create(display);
        driver3d_create(display, driver);
    }
    Device3DPtr device(uint32_t texture_caps) {
        driver->caps.texture_caps = texture_caps;
        Device3DPtr d;
        device_create(*driver, *target, d);
        return d;
    }
};

// A picture whose pixels tell where they are: red = x * 2, green = y * 4, blue 0x40.
RgbPicture gradient(int width, int height) {
    RgbPicture p;
    p.width = width;
    p.height = height;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            p.rgb.insert(p.rgb.end(),
                         {static_cast<uint8_t>(x * 2), static_cast<uint8_t>(y * 4), 0x40});
    return p;
}

uint32_t texel(Texture& t, int x, int y) {
    LockedRect lock;
    texture_lock(t, lock);
    uint32_t v = 0;
    std::memcpy(&v, lock.bits + y * lock.pitch + x * bytes_per_pixel(t.format),
                bytes_per_pixel(t.format));
    texture_unlock(t);
    return v;
}

int named_count(const HardwareTextures& t) {
    int n = 0;
    for (const NamedTexture* r = t.named.get(); r; r = r->next.get()) ++n;
    return n;
}

TEST(HardwareTextures, SizesRoundUpAsTheDeviceRequires) {
    struct Case {
        uint32_t caps;
        int w, h, want_w, want_h;
    } cases[] = {
        {TEXTURECAPS_POW2, 100, 60, 128, 64},
        {TEXTURECAPS_POW2 | TEXTURECAPS_SQUAREONLY, 100, 60, 128, 128},
        {TEXTURECAPS_SQUAREONLY, 100, 60, 100, 100},
        {0, 100, 60, 100, 60},
        {TEXTURECAPS_POW2, 1, 1, 1, 1},
        {TEXTURECAPS_POW2, 129, 128, 256, 128},
    };
    for (const Case& c : cases) {
        DeviceCaps caps;
        caps.texture_caps = c.caps;
        int w = c.w, h = c.h;
        texture_size_for(caps, w, h);
        EXPECT_EQ(w, c.want_w) << c.caps << " " << c.w;
        EXPECT_EQ(h, c.want_h) << c.caps << " " << c.h;
    }
}

TEST(HardwareTextures, ARestoredPictureFillsTheRoundedTexture) {
    ScratchDir dir;
    write_file("textures/pic.bmp", encode_bmp24(gradient(100, 60)));
    Rig rig;
    struct Case {
        uint32_t caps;
        int w, h;
    } cases[] = {{TEXTURECAPS_POW2, 128, 64},
                 {TEXTURECAPS_POW2 | TEXTURECAPS_SQUAREONLY, 128, 128}};
    for (const auto& [caps, w, h] : cases) {
        HardwareTextures textures;
        Device3DPtr device = rig.device(caps);
        ASSERT_EQ(create_named_texture(textures, "textures/pic.bmp", 0, k_texture_request_16_bits),
                  Result::ok);
        EXPECT_EQ(get_named_texture(textures, "textures/pic.bmp"), nullptr) << "no surface yet";
        ASSERT_EQ(restore_named_texture(textures, "textures/pic.bmp", device.get()), Result::ok);
        TexturePtr t = get_named_texture(textures, "TEXTURES/PIC.BMP");
        ASSERT_NE(t, nullptr);
        EXPECT_EQ(t->width, w);
        EXPECT_EQ(t->height, h);
        EXPECT_EQ(t->format, k_texture_rgb565) << "16 bits asked for";
        // The picture is stretched over the whole texture: its corners stay in the corners.
        EXPECT_EQ(texel(*t, 0, 0), pack_argb(k_texture_rgb565, 0xFF000040));
        EXPECT_EQ(texel(*t, w - 1, h - 1),
                  pack_argb(k_texture_rgb565, 0xFF000000u | 198 << 16 | 236 << 8 | 0x40));
    }
}

TEST(HardwareTextures, ANameRegisteredTwiceInAnyCaseLoadsOnce) {
    ScratchDir dir;
    write_file("textures/Hand.bmp", encode_bmp24(gradient(4, 4)));
    HardwareTextures textures;
    ASSERT_EQ(create_named_texture(textures, "textures/Hand.bmp", 0, 8), Result::ok);
    std::filesystem::remove("textures/Hand.bmp"); // a second load would fail now
    EXPECT_EQ(create_named_texture(textures, "TEXTURES/hand.BMP", 0, 8), Result::ok);
    EXPECT_EQ(named_count(textures), 1);

    destroy_named_texture(textures, "textures/HAND.bmp");
    EXPECT_EQ(named_count(textures), 0);
    EXPECT_EQ(create_named_texture(textures, "textures/Hand.bmp", 0, 8), Result::failed)
        << "after destroying, the name loads again";
}

TEST(HardwareTextures, RegistrationFailsWithoutAUsablePicture) {
    ScratchDir dir;
    write_file("a.png", encode_bmp24(gradient(4, 4)));
    write_file("broken.bmp", std::string("BM not a bitmap"));
    write_file("broken.tga", std::string("short"));
    HardwareTextures textures;
    for (const char* name : {static_cast<const char*>(nullptr), "", "missing.bmp", "a.png",
                             "broken.bmp", "broken.tga"})
        EXPECT_EQ(create_named_texture(textures, name, 0, 8), Result::failed)
            << (name ? name : "null");
    EXPECT_EQ(named_count(textures), 0);
    EXPECT_EQ(restore_named_texture(textures, "missing.bmp", nullptr), Result::failed);
}

// A picture file costs no allocation beyond the picture it really holds: bytes after the
// picture are not read, and a header that claims more pixels than the file holds is refused
// before the picture is allocated.
TEST(HardwareTextures, PictureFilesCostNoMoreThanTheirPicture) {
    ScratchDir dir;
    std::vector<uint8_t> padded = encode_bmp24(gradient(4, 4));
    padded.resize(padded.size() + (32u << 20));
    write_file("padded.bmp", padded);
    std::vector<uint8_t> top_first = padded; // a negative height: rows stored top first
    const auto minus_4 = static_cast<uint32_t>(-4);
    for (int i = 0; i < 4; ++i) top_first[22 + i] = static_cast<uint8_t>(minus_4 >> (8 * i));
    write_file("top_first.bmp", top_first);
    auto claim_4096 = [](std::vector<uint8_t> file, size_t at, int bytes) {
        for (size_t i : {at, at + bytes}) file[i] = 0, file[i + 1] = 0x10;
        return file;
    };
    write_file("claims.tga", claim_4096(encode_targa(gradient(2, 2), nullptr, {}), 12, 2));
    write_file("claims.bmp", claim_4096(encode_bmp24(gradient(2, 2)), 18, 4));
    Bmp8Picture texture;
    std::vector<uint8_t> rle = claim_4096(encode_bmp8(texture), 18, 4);
    rle[30] = 1; // run-length coded, and nothing but the end-of-picture mark
    rle.resize(k_bmp8_pixels_at);
    rle.insert(rle.end(), {0, 1});
    write_file("claims_rle.bmp", rle);

    HardwareTextures textures;
    reset_largest_allocation();
    for (const char* name : {"padded.bmp", "top_first.bmp"})
        EXPECT_EQ(create_named_texture(textures, name, 0, 8), Result::ok) << name;
    for (const char* name : {"claims.tga", "claims.bmp", "claims_rle.bmp"})
        EXPECT_EQ(create_named_texture(textures, name, 0, 8), Result::failed) << name;
    EXPECT_LT(largest_allocation(), 1u << 20);
}

TEST(HardwareTextures, FormatsChosenFromTheDevicesList) {
    ScratchDir dir;
    std::vector<uint8_t> alpha(16, 0x80);
    const RgbPicture p = gradient(4, 4);
    write_file("rgb.bmp", encode_bmp24(p));
    write_file("alpha.tga", encode_targa(p, &alpha, {}));
    write_file("rgb.tga", encode_targa(p, nullptr, {}));
    Bmp8Picture eight;
    write_file("eight.bmp", encode_bmp8(eight));
    struct Case {
        const char* name;
        uint32_t flags;
        PixelFormat format;
    } cases[] = {
        {"rgb.bmp", 8, k_texture_rgb565},
        {"rgb.bmp", 0, k_texture_rgb565}, // no 24-bit format: 16 bits
        {"alpha.tga", 8, k_texture_argb1555},
        {"alpha.tga", 0, k_texture_argb8888},
        {"rgb.tga", 0, k_texture_rgb565},
        {"eight.bmp", 0, k_texture_rgb565}, // no palette format: 16 bits
    };
    Rig rig;
    Device3DPtr device = rig.device(TEXTURECAPS_POW2);
    for (const Case& c : cases) {
        HardwareTextures textures;
        ASSERT_EQ(create_named_texture(textures, c.name, 0, c.flags), Result::ok) << c.name;
        ASSERT_EQ(restore_named_texture(textures, c.name, device.get()), Result::ok) << c.name;
        EXPECT_EQ(get_named_texture(textures, c.name)->format, c.format) << c.name << c.flags;
    }

    // Kinds a picture never takes are passed over; a palette format serves 8-bit pictures.
    constexpr uint32_t luminance = 0x20000, bump = 0x80000, fourcc = 0x4, palette8 = 0x20;
    const std::vector<PixelFormat> list = {{luminance, 16},
                                           {bump | PF_RGB, 16},
                                           {fourcc | PF_RGB, 16},
                                           {palette8, 8},
                                           k_texture_rgb565};
    EXPECT_EQ(choose_texture_format(list, 16, false), &list[4]);
    EXPECT_EQ(choose_texture_format(list, 8, false), &list[3]);
    EXPECT_EQ(choose_texture_format(list, 16, true), nullptr);
}

TEST(HardwareTextures, TargaPixelsAreConvertedChannelByChannel) {
    ScratchDir dir;
    RgbPicture p;
    p.width = p.height = 1;
    p.rgb = {0xFF, 0x80, 0x40};
    std::vector<uint8_t> alpha = {0x80};
    write_file("one.tga", encode_targa(p, &alpha, {}));
    Rig rig;
    Device3DPtr device = rig.device(TEXTURECAPS_POW2);
    HardwareTextures textures;
    ASSERT_EQ(create_named_texture(textures, "one.tga", 0, 8), Result::ok);
    ASSERT_EQ(restore_named_texture(textures, "one.tga", device.get()), Result::ok);
    EXPECT_EQ(texel(*get_named_texture(textures, "one.tga"), 0, 0), 0xFE08u);

    EXPECT_EQ(restore_named_texture(textures, "one.tga", nullptr), Result::failed);
    EXPECT_EQ(get_named_texture(textures, "one.tga"), nullptr) << "the old surface is released";
}

TEST(HardwareTextures, TheTextureTableTakesPictureFiles) {
    ScratchDir dir;
    write_file("textures/128x128/hero.bmp", encode_bmp24(gradient(128, 128)));
    std::vector<uint8_t> alpha(9, 0xC0);
    write_file("textures/puzzl/11.tga", encode_targa(gradient(3, 3), &alpha, {}));
    Rig rig;
    Device3DPtr device = rig.device(TEXTURECAPS_POW2);
    HardwareTextures textures;
    load_texture_file(textures, device.get(), "textures/128x128/hero.bmp", 0);
    ASSERT_TRUE(textures.texture_table[0]);
    EXPECT_EQ(textures.texture_table[0]->width, 128);
    EXPECT_EQ(textures.texture_table[0]->format, k_texture_xrgb8888);
    load_texture_file(textures, device.get(), "textures/puzzl/11.tga", 20);
    ASSERT_TRUE(textures.texture_table[20]);
    EXPECT_EQ(textures.texture_table[20]->width, 4) << "rounded to a power of two";
    EXPECT_EQ(textures.texture_table[20]->format, k_texture_argb8888);

    load_texture_file(textures, device.get(), "textures/missing.bmp", 0);
    EXPECT_FALSE(textures.texture_table[0]) << "a missing file leaves the entry empty";
    load_texture_file(textures, nullptr, "textures/128x128/hero.bmp", 20);
    EXPECT_FALSE(textures.texture_table[20]);
    load_texture_file(textures, device.get(), "textures/128x128/hero.bmp", 64);
    load_texture_file(textures, device.get(), "textures/128x128/hero.bmp", -1);
}

} // namespace
