// save FILE [--thumbnail OUT.png] | save FILE --set FIELD=VALUE ...: a saved game through the
// game's own save layout, as JSON, and edits of its story words so testers can make a save in
// any state.
#include <charconv>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <vector>

#include "app/save_file.h"
#include "platform/files.h"
#include "resources/text_table.h"
#include "tools/common/json.h"
#include "tools/common/json_math.h"
#include "tools/common/png_image.h"
#include "tools/tool/commands.h"

namespace {

constexpr const char* k_usage =
    "usage: vantor-tool save FILE [--thumbnail OUT.png]\n"
    "       vantor-tool save FILE --set FIELD=VALUE ...\n"
    "FIELD: scene, hero, MainSost, MainFlags, previous_scene, DIALOG, EXE, active_tool,\n"
    "       music_track, story_cycle, fase.N, Flags.N (N 0..255)\n";

// A story word of the image by name: the scalar words, then fase.N and Flags.N. S is SaveImage,
// const or not.
template <class S> auto story_word(S& s, const std::string& name) -> decltype(&s.MainSost) {
    struct Named {
        const char* name;
        int32_t SaveImage::*word;
    };
    static const Named words[] = {
        {"MainSost", &SaveImage::MainSost},
        {"MainFlags", &SaveImage::MainFlags},
        {"previous_scene", &SaveImage::previous_scene},
        {"DIALOG", &SaveImage::DIALOG},
        {"EXE", &SaveImage::EXE},
        {"active_tool", &SaveImage::active_tool},
        {"music_track", &SaveImage::music_track},
        {"story_cycle", &SaveImage::story_cycle},
        {"hero", &SaveImage::hero},
    };
    for (const Named& w : words)
        if (name == w.name) return &(s.*w.word);
    for (const auto& [prefix, table] :
         {std::pair{std::string("fase."), &s.fase}, std::pair{std::string("Flags."), &s.Flags}}) {
        if (name.rfind(prefix, 0) != 0) continue;
        unsigned index = 0;
        const char* begin = name.c_str() + prefix.size();
        const char* end = name.c_str() + name.size();
        if (std::from_chars(begin, end, index).ptr != end || begin == end || index > 255)
            return nullptr;
        return &(*table)[index];
    }
    return nullptr;
}

Json numbers(std::initializer_list<int32_t> values) {
    Json a = Json::array();
    for (int32_t v : values) a.push(v);
    return a;
}

std::string name_of(const SceneObject& o) {
    std::u16string text;
    for (char16_t c : o.name) {
        if (c == 0 || c == u'\r') break;
        text.push_back(c);
    }
    return utf16_to_utf8(text);
}

Json describe(const SaveImage& s, size_t size, bool older) {
    Json j = Json::object();
    j["format"] = older ? "older" : "current";
    j["size"] = static_cast<uint64_t>(size);
    j["scene"] = static_cast<int64_t>(s.scene_word & 0x00FFFFFFu);
    j["hero"] = s.hero;
    j["hero_bit"] = (s.scene_word & k_save_second_hero) ? 1 : 0;
    Json words = Json::object();
    for (const char* name : {"MainSost", "MainFlags", "previous_scene", "DIALOG", "EXE",
                             "active_tool", "music_track", "story_cycle"})
        words[name] = *story_word(s, name);
    words["strip_signal"] = s.strip_signal;
    words["return_fase"] = s.return_fase;
    words["toolbar_open"] = s.toolbar_open;
    words["closeup_active"] = s.closeup_active;
    words["timed"] = numbers({s.timed_running, s.timed_counter, s.timed_end});
    words["fade"] = numbers({s.fade_state, s.fade_level});
    words["Minigame"] = s.Minigame;
    j["words"] = words;
    // Only the scenes with progress, as "scene": value.
    for (const auto& [key, table] : {std::pair{"fase", &s.fase}, std::pair{"Flags", &s.Flags}}) {
        Json t = Json::object();
        for (size_t i = 0; i < table->size(); ++i)
            if ((*table)[i] != 0) t[std::to_string(i)] = (*table)[i];
        j[key] = t;
    }
    Json tools = Json::array();
    for (size_t n = 0; n < k_object_count; ++n) {
        SceneObject o;
        object_from_bytes(std::span<const uint8_t, k_object_record_bytes>(
                              s.objects.data() + n * k_object_record_bytes, k_object_record_bytes),
                          o);
        if (o.state == 0) continue;
        Json t = Json::object();
        t["number"] = static_cast<int64_t>(n);
        t["state"] = o.state;
        t["scene"] = o.scene;
        t["name"] = name_of(o);
        tools.push(t);
    }
    j["tools"] = tools;
    Json actors = Json::array();
    for (size_t slot = 0; slot < 16; ++slot) {
        Actor a;
        decode_actor(std::span<const uint8_t, k_actor_record_bytes>(
                         s.actors.data() + slot * k_actor_record_bytes, k_actor_record_bytes),
                     a);
        Json o = Json::object();
        o["slot"] = static_cast<int64_t>(slot);
        o["position"] = json_vec3(a.position);
        o["heading"] = a.heading;
        o["state"] = a.state;
        o["frame"] = a.frame;
        o["walking"] = a.walking;
        actors.push(o);
    }
    j["actors"] = actors;
    j["subtitle_length"] = s.subtitle_length;
    j["thumbnail_mark"] = s.thumbnail_mark;
    return j;
}

bool write_thumbnail(const SaveImage& s, const std::string& path) {
    RgbImage image;
    image.width = int(k_thumbnail_width);
    image.height = int(k_thumbnail_height);
    image.rgb.resize(k_thumbnail_width * k_thumbnail_height * 3);
    for (size_t p = 0; p < k_thumbnail_width * k_thumbnail_height; ++p)
        for (size_t c = 0; c < 3; ++c) image.rgb[p * 3 + c] = s.thumbnail[p * 4 + 2 - c];
    return write_png(path, image);
}

int set_words(SaveImage& s, const std::vector<std::string>& assignments) {
    for (const std::string& a : assignments) {
        const size_t eq = a.find('=');
        int32_t value = 0;
        const char* begin = eq == std::string::npos ? nullptr : a.c_str() + eq + 1;
        const char* end = a.c_str() + a.size();
        if (begin == nullptr || begin == end || std::from_chars(begin, end, value).ptr != end) {
            std::fprintf(stderr, "vantor-tool: expected FIELD=NUMBER, got %s\n", a.c_str());
            return 2;
        }
        const std::string name = a.substr(0, eq);
        if (name == "scene") {
            if (value < 0 || value > 86) {
                std::fprintf(stderr, "vantor-tool: scene %d is not a scene (0..86)\n", value);
                return 2;
            }
            s.scene_word = (s.scene_word & k_save_second_hero) | uint32_t(value);
        } else if (int32_t* word = story_word(s, name)) {
            *word = value;
            if (name == "hero")
                s.scene_word =
                    (s.scene_word & ~k_save_second_hero) | (value == 1 ? k_save_second_hero : 0);
        } else {
            std::fprintf(stderr, "vantor-tool: no story word %s\n%s", name.c_str(), k_usage);
            return 2;
        }
    }
    s.scene_word |= k_save_format_mark; // written back in the current format
    return 0;
}

} // namespace

int run_save_command(const std::vector<std::string>& args) {
    if (args.empty() || args[0] == "--help") {
        std::fputs(k_usage, args.empty() ? stderr : stdout);
        return args.empty() ? 2 : 0;
    }
    const std::string& path = args[0];
    std::vector<uint8_t> bytes;
    if (!file_read_all(path, bytes)) {
        std::fprintf(stderr, "vantor-tool: cannot read %s\n", path.c_str());
        return 1;
    }
    SaveImage image;
    if (!decode_save(bytes, image)) {
        std::fprintf(stderr, "vantor-tool: %s: %zu bytes, too short for a save\n", path.c_str(),
                     bytes.size());
        return 1;
    }
    const bool older = (image.scene_word & k_save_format_mark) == 0;
    const size_t expected = older ? k_old_save_bytes : k_save_bytes;
    if (bytes.size() != expected)
        std::fprintf(stderr, "vantor-tool: %s: %zu bytes, a save of this format has %zu\n",
                     path.c_str(), bytes.size(), expected);
    if (args.size() >= 3 && args[1] == "--set") {
        if (int status = set_words(image, {args.begin() + 2, args.end()}); status != 0)
            return status;
        if (!file_write_atomic(path, encode_save(image))) {
            std::fprintf(stderr, "vantor-tool: cannot write %s\n", path.c_str());
            return 1;
        }
        return 0;
    }
    if (args.size() == 3 && args[1] == "--thumbnail") {
        if (image.thumbnail_mark != 1) {
            std::fprintf(stderr, "vantor-tool: %s holds no thumbnail\n", path.c_str());
            return 1;
        }
        if (!write_thumbnail(image, args[2])) {
            std::fprintf(stderr, "vantor-tool: cannot write %s\n", args[2].c_str());
            return 1;
        }
    } else if (args.size() != 1) {
        std::fputs(k_usage, stderr);
        return 2;
    }
    std::printf("%s\n", describe(image, bytes.size(), older).dump().c_str());
    return 0;
}
