#include "resources/scene_description.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "app/game.h"
#include "resources/asset_file.h"

namespace {

// Keyword search looks at the first 64 KiB of positions; the number and bracket scans examine at
// most 65535 characters before giving up.
constexpr size_t k_find_positions = 65536;
constexpr size_t k_scan_limit = 65535;

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

bool starts_number(char c) {
    return c == '-' || c == '.' || is_digit(c);
}

bool is_opening_bracket(char c) {
    return c == '{' || c == '[' || c == '(';
}

// A cursor that never leaves the text: a scan that reaches the end fails instead.
class Cursor {
public:
    explicit Cursor(std::span<const char> text) : text_(text) {}

    bool find(std::string_view keyword) {
        const size_t n = keyword.size();
        if (n == 0 || n > text_.size()) return false;
        const size_t last = std::min(k_find_positions, text_.size() - n + 1);
        for (size_t i = 0; i < last; ++i) {
            if (std::equal(keyword.begin(), keyword.end(), text_.begin() + i)) {
                pos_ = i + n;
                return true;
            }
        }
        return false;
    }

    // Skip to a '-', '.' or digit, take it and the digits and points after it, and convert that
    // text as a decimal number ("1.2.5" gives 1.2, a lone "-" gives 0).
    bool number(float& value) {
        size_t examined = 0;
        while (pos_ < text_.size() && !starts_number(text_[pos_])) {
            if (++examined >= k_scan_limit) return false;
            ++pos_;
        }
        if (pos_ >= text_.size()) return false;
        const size_t start = pos_++;
        while (pos_ < text_.size() && (is_digit(text_[pos_]) || text_[pos_] == '.')) ++pos_;
        // The decimal point is always a point, whatever numeric locale the process runs in.
        double taken = 0;
        std::from_chars(text_.data() + start, text_.data() + pos_, taken);
        value = static_cast<float>(taken);
        return true;
    }

    bool open_bracket() {
        size_t examined = 0;
        while (pos_ < text_.size()) {
            const char c = text_[pos_++];
            if (is_opening_bracket(c)) return true;
            if (++examined >= k_scan_limit) return false;
        }
        return false;
    }

    bool group1(float& v) { return open_bracket() && number(v); }
    bool group3(float v[3]) {
        return open_bracket() && number(v[0]) && number(v[1]) && number(v[2]);
    }

private:
    std::span<const char> text_;
    size_t pos_ = 0;
};

// Truncation toward zero, kept inside the 32-bit range.
int32_t to_int(float v) {
    if (std::isnan(v)) return 0;
    if (v >= 2147483647.0f) return INT32_MAX;
    if (v <= -2147483648.0f) return INT32_MIN;
    return static_cast<int32_t>(v);
}

Vec3 world_point(const float f[3]) {
    return {f[0] / 10.0f, -f[2] / 10.0f, f[1] / 10.0f};
}

uint32_t light_colour(float red, float green, float blue) {
    return static_cast<uint32_t>(to_int(red)) * 65536u +
           (static_cast<uint32_t>(to_int(green)) & 0xFF) * 256u +
           (static_cast<uint32_t>(to_int(blue)) & 0xFF);
}

// A table of 16 slots is full after 16 additions, so no more records need reading.
int clamp_count(float count, int capacity) {
    return std::clamp(to_int(count), 0, capacity);
}

bool read_camera(Cursor& c, SceneCamera& camera) {
    float eye[3], target[3], angle, factor;
    if (!c.find("CAMERA") || !c.group3(eye) || !c.group3(target) || !c.group1(angle) ||
        !c.group1(factor))
        return false;
    camera.camera_eye = world_point(eye);
    camera.camera_target = world_point(target);
    camera.camera_up = {0, 1, 0};
    camera.view_matrix = look_at(camera.camera_eye, camera.camera_target, camera.camera_up);
    camera.projection_matrix = projection(angle, factor);
    // The lights below are placed with this matrix, so it must be the new camera's now, not the
    // one the frame computed before the scene changed.
    camera.view_projection = multiply(camera.view_matrix, camera.projection_matrix);
    return true;
}

bool read_fires(Cursor& c, FireTable& fires, Random& random) {
    float count;
    if (!c.find("FIRES") || !c.group1(count)) return false;
    const int n = clamp_count(count, k_fire_count);
    for (int i = 0; i < n; ++i) {
        float position[3], size, height, spread, light, glow;
        if (!c.group3(position) || !c.group1(size) || !c.group1(height) || !c.group1(spread) ||
            !c.group1(light) || !c.group1(glow))
            return false;
        SceneFire& f = fires[i];
        f.position = world_point(position);
        f.size = size;
        f.height = height;
        f.spread = spread;
        f.light = to_int(light);
        f.glow = to_int(glow);
        f.lifetime = -1;
    }
    // Every slot gets fresh particles, not only the ones just read.
    for (SceneFire& f : fires) {
        for (FireParticle& p : f.particles) {
            const int r1 = random_next(random), r2 = random_next(random);
            const int r3 = random_next(random);
            const int r4 = random_next(random), r5 = random_next(random);
            p.offset.x = static_cast<float>(r1 - r2) / 65534.0f * f.spread;
            p.offset.y = static_cast<float>(r3) / 32767.0f * -8.0f * f.height;
            p.offset.z = static_cast<float>(r4 - r5) / 65534.0f * f.spread;
            p.age = 0;
        }
    }
    return true;
}

bool read_point_lights(Cursor& c, const SceneCamera& camera, Lighting& lighting) {
    float count;
    if (!c.find("POINTLIGHT") || !c.group1(count)) return false;
    const int n = clamp_count(count, k_light_count);
    for (int i = 0; i < n; ++i) {
        float position[3], range, red, green, blue;
        if (!c.group3(position) || !c.group1(range) || !c.group1(red) || !c.group1(green) ||
            !c.group1(blue))
            return false;
        const Vec3 p = world_point(position);
        add_light(lighting, camera.view_projection, -1, p, range, light_colour(red, green, blue), 0,
                  p, 0);
    }
    return true;
}

bool read_spot_lights(Cursor& c, const SceneCamera& camera, Lighting& lighting) {
    float count;
    if (!c.find("SPOTLIGHT") || !c.group1(count)) return false;
    const int n = clamp_count(count, k_light_count);
    for (int i = 0; i < n; ++i) {
        float mode, position[3], aim[3], angle, red, green, blue;
        if (!c.group1(mode) || !c.group3(position) || !c.group3(aim) || !c.group1(angle) ||
            !c.group1(red) || !c.group1(green) || !c.group1(blue))
            return false;
        add_light(lighting, camera.view_projection, -1, world_point(position), 0,
                  light_colour(red, green, blue), to_int(mode), world_point(aim),
                  std::cos(angle / 57.29578f));
    }
    return true;
}

// A spot light aimed at its own position has no axis. Its direction is then the zero vector: every
// vertex lies at a right angle to it, so a cone narrower than a half sphere reaches nothing, where
// a division by the zero length would give a direction that no cone test rejects.
Vec3 spot_direction(const Vec3& position, const Vec3& aim) {
    const Vec3 axis = position - aim;
    if (!(dot(axis, axis) > 0)) return {0, 0, 0};
    return normalise(axis);
}

} // namespace

void add_light(Lighting& lighting, const Matrix& view_projection, int32_t lifetime,
               const Vec3& position, float range, uint32_t colour, int32_t spot_mode,
               const Vec3& aim, float cone) {
    for (LightSlot& slot : lighting.light_table) {
        if (slot.lifetime != 0) continue;
        slot.lifetime = lifetime;
        slot.colour = colour;
        slot.range = range;
        slot.spot_mode = spot_mode;
        slot.cone = cone;
        slot.position = transform_point(position, view_projection);
        if (spot_mode != 0)
            slot.direction = spot_direction(slot.position, transform_point(aim, view_projection));
        return;
    }
}

void apply_scene_description(std::span<const char> text, const SceneDescriptionTarget& target) {
    Cursor c(text);
    if (!read_camera(c, target.camera)) return;

    float scale;
    if (!c.find("SCALE") || !c.group1(scale)) return;
    target.camera.scene_scale = scale;

    float ambient[3];
    if (!c.find("AMBIENT") || !c.group3(ambient)) return;
    target.lighting.ambient_colour = (static_cast<uint32_t>(to_int(ambient[0])) & 0xFF) |
                                     (static_cast<uint32_t>(to_int(ambient[1])) & 0xFF) << 8 |
                                     (static_cast<uint32_t>(to_int(ambient[2])) & 0xFF) << 16;

    float start[3]; // read and not used
    if (!c.find("START") || !c.group3(start)) return;

    if (!read_fires(c, target.fires, target.random)) return;
    if (!read_point_lights(c, target.camera, target.lighting)) return;
    read_spot_lights(c, target.camera, target.lighting);
}

void load_scene_description(Game& game, std::string_view path) {
    AssetStream asset = open_asset_stream(path, "rb", k_scene_description_max);
    if (!asset) return;
    const size_t want = static_cast<size_t>(
        std::min<uint64_t>(asset.read_size, asset.from_archive ? k_scene_description_archived_max
                                                               : k_scene_description_max));
    std::vector<char> text(want);
    text.resize(want ? std::fread(text.data(), 1, want, asset.file) : 0);
    close_asset(asset);
    apply_scene_description(text, {game.camera, game.lighting, game.fires, game.random});
}

namespace {

// Plain decimal notation: the reader knows no exponents.
std::string number_text(float v) {
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed);
    return std::string(buf, r.ptr);
}

std::string triple(const std::array<float, 3>& v) {
    return "(" + number_text(v[0]) + ", " + number_text(v[1]) + ", " + number_text(v[2]) + ")";
}

std::string single(float v) {
    return "(" + number_text(v) + ")";
}

std::string single(int v) {
    return "(" + std::to_string(v) + ")";
}

} // namespace

std::string encode_scene_description(const SceneDescriptionSource& s) {
    const std::string eol = "\r\n";
    std::string t;
    t += "CAMERA " + triple(s.eye) + " " + triple(s.target) + " " + single(s.angle) + " " +
         single(s.factor) + eol;
    t += "SCALE " + single(s.scale) + eol;
    t += "AMBIENT (" + std::to_string(s.ambient[0]) + ", " + std::to_string(s.ambient[1]) + ", " +
         std::to_string(s.ambient[2]) + ")" + eol;
    t += "START " + triple(s.start) + eol;
    t += "FIRES " + single(static_cast<int>(s.fires.size())) + eol;
    for (const auto& f : s.fires)
        t += triple(f.position) + " " + single(f.size) + " " + single(f.height) + " " +
             single(f.spread) + " " + single(f.light) + " " + single(f.glow) + eol;
    t += "POINTLIGHT " + single(static_cast<int>(s.point_lights.size())) + eol;
    for (const auto& l : s.point_lights)
        t += triple(l.position) + " " + single(l.range) + " " + single(l.red) + " " +
             single(l.green) + " " + single(l.blue) + eol;
    t += "SPOTLIGHT " + single(static_cast<int>(s.spot_lights.size())) + eol;
    for (const auto& l : s.spot_lights)
        t += single(l.mode) + " " + triple(l.position) + " " + triple(l.aim) + " " +
             single(l.angle) + " " + single(l.red) + " " + single(l.green) + " " + single(l.blue) +
             eol;
    return t;
}
