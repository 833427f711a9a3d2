#include "tests/support/golden.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>

namespace fs = std::filesystem;

namespace {

bool updating() {
    const char* v = std::getenv("VANTOR_UPDATE_GOLDEN");
    return v != nullptr && std::string(v) == "1";
}

int largest_difference(const RgbImage& a, const RgbImage& b, size_t i) {
    int m = 0;
    for (int c = 0; c < 3; ++c) m = std::max(m, std::abs(a.rgb[i + c] - b.rgb[i + c]));
    return m;
}

// Black where the pictures agree; red growing with the largest channel difference elsewhere.
RgbImage difference(const RgbImage& a, const RgbImage& b) {
    RgbImage d;
    d.width = a.width;
    d.height = a.height;
    d.rgb.assign(a.rgb.size(), 0);
    for (size_t i = 0; i + 2 < a.rgb.size(); i += 3) {
        const int m = largest_difference(a, b, i);
        if (m > 0) d.rgb[i] = static_cast<uint8_t>(std::min(255, 64 + m * 8));
    }
    return d;
}

} // namespace

RgbImage surface_to_rgb(const Surface& surface) {
    RgbImage image;
    image.width = surface.width;
    image.height = surface.height;
    image.rgb.resize(static_cast<size_t>(surface.width) * surface.height * 3);
    for (int y = 0; y < surface.height; ++y)
        for (int x = 0; x < surface.width; ++x) {
            const Rgb8 c = unpack_rgb(surface.format, surface_pixel(surface, x, y));
            uint8_t* out = &image.rgb[(static_cast<size_t>(y) * surface.width + x) * 3];
            out[0] = c.r;
            out[1] = c.g;
            out[2] = c.b;
        }
    return image;
}

std::string golden_path(const std::string& name) {
    return (fs::path(VANTOR_SOURCE_DIR) / "tests/golden" / (name + ".png")).string();
}

size_t differing_pixels(const RgbImage& a, const RgbImage& b, int channel) {
    if (a.rgb.size() != b.rgb.size()) return a.rgb.size() / 3;
    size_t n = 0;
    for (size_t i = 0; i < a.rgb.size(); i += 3) n += largest_difference(a, b, i) > channel;
    return n;
}

::testing::AssertionResult matches_golden(const std::string& name, const RgbImage& actual,
                                          const GoldenTolerance& tolerance) {
    const fs::path reference = golden_path(name);
    if (updating()) {
        if (!write_png(reference.string(), actual))
            return ::testing::AssertionFailure() << "cannot write " << reference;
        return ::testing::AssertionSuccess();
    }
    const fs::path out_dir = fs::path(VANTOR_BINARY_DIR) / "golden";
    fs::create_directories(out_dir);
    const fs::path actual_path = out_dir / (name + ".actual.png");
    RgbImage expected;
    if (!read_png(reference.string(), expected)) {
        write_png(actual_path.string(), actual);
        return ::testing::AssertionFailure()
               << "no reference " << reference << " (actual written to " << actual_path
               << "; VANTOR_UPDATE_GOLDEN=1 makes it the reference)";
    }
    if (expected.width != actual.width || expected.height != actual.height) {
        write_png(actual_path.string(), actual);
        return ::testing::AssertionFailure()
               << name << ": size " << actual.width << "x" << actual.height << ", reference "
               << expected.width << "x" << expected.height;
    }
    const size_t outliers = differing_pixels(actual, expected, tolerance.channel);
    int worst = 0;
    for (size_t i = 0; i < actual.rgb.size(); i += 3)
        worst = std::max(worst, largest_difference(actual, expected, i));
    const size_t pixels = actual.rgb.size() / 3;
    if (static_cast<double>(outliers) <= tolerance.outlier_share * static_cast<double>(pixels))
        return ::testing::AssertionSuccess();
    write_png(actual_path.string(), actual);
    write_png((out_dir / (name + ".diff.png")).string(), difference(actual, expected));
    return ::testing::AssertionFailure()
           << name << ": " << outliers << " of " << pixels << " pixels differ by more than "
           << tolerance.channel << " (worst " << worst << "); see " << actual_path;
}
