#include "tools/demo/make_demo.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <span>

#include "platform/files.h"
#include "tools/demo/films.h"
#include "tools/demo/interface_pictures.h"
#include "tools/demo/menu_pictures.h"
#include "tools/demo/models.h"
#include "tools/demo/music.h"
#include "tools/demo/scenes.h"
#include "tools/demo/sounds.h"
#include "tools/demo/texts.h"

namespace fs = std::filesystem;

namespace {

// Far above any font a game ships, and above any list of the demo's own files; a larger file is
// not read.
constexpr size_t k_font_file_max = 64u << 20;
constexpr size_t k_marker_file_max = 1u << 20;
// The scenes the films are staged in: the hut, the clearing and the chapel.
const std::set<int> k_film_stages = {3, 4, 6};

} // namespace

bool generate_demo(const DemoOptions& options, DemoOutput& out, std::string& error) {
    if (!options.font.empty()) {
        std::vector<uint8_t> font;
        if (!file_read_all(options.font, k_font_file_max, font)) {
            error = "cannot read the font " + options.font;
            return false;
        }
        out.add("tovi.ttf", std::move(font));
    }
    if (options.pictures) {
        make_interface_pictures(out);
        make_menu_pictures(out, options.font);
    }
    if (options.models) make_models(out);
    if (options.sounds) make_sounds(out);
    if (options.music) make_music(out);
    if (options.texts) make_text_tables(out);
    if (options.voices && !make_voices(out, error)) return false;
    // The scenes the films take their stages from are kept until the films are made.
    std::map<int, GeneratedScene> stages;
    for (const SceneRecipe* recipe : demo_scenes()) {
        if (!options.scenes.empty() && std::find(options.scenes.begin(), options.scenes.end(),
                                                 recipe->number) == options.scenes.end())
            continue;
        GeneratedScene g = generate_scene(*recipe, options.quality, out);
        if (options.films && k_film_stages.count(recipe->number))
            stages.emplace(recipe->number, std::move(g));
    }
    if (!options.films) return true;
    FilmSources sources;
    sources.font = options.font;
    for (const auto& [number, g] : stages) sources.scenes[number] = &g;
    sources.quality = {options.quality.shadow_rays, options.quality.ao_rays / 2,
                       options.quality.threads};
    return make_films(out, sources, error);
}

namespace {

bool safe_marker_name(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name != "saves" &&
           name != k_demo_marker && name.find_first_of("/\\") == std::string::npos;
}

bool write_marker(const fs::path& root, const std::vector<std::string>& names) {
    std::string text = "# Written by vantor-tool make-demo; its next run replaces these:\n";
    for (const std::string& name : names) text += name + "\n";
    return file_write_atomic((root / k_demo_marker).string(),
                             std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
}

} // namespace

bool demo_folder_is_ours(const std::string& dir) {
    std::error_code ec;
    const fs::path root(dir);
    if (!fs::exists(root, ec)) return true;
    if (!fs::is_directory(root, ec)) return false;
    if (fs::is_regular_file(root / k_demo_marker, ec)) return true;
    return fs::is_empty(root, ec) && !ec;
}

std::vector<std::string> read_demo_marker(const std::string& dir) {
    std::vector<uint8_t> bytes;
    std::vector<std::string> names;
    if (!file_read_all((fs::path(dir) / k_demo_marker).string(), k_marker_file_max, bytes))
        return names;
    std::string line;
    for (size_t i = 0; i <= bytes.size(); ++i) {
        if (i < bytes.size() && bytes[i] != '\n') {
            line += static_cast<char>(bytes[i]);
            continue;
        }
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.starts_with('#') && safe_marker_name(line)) names.push_back(line);
        line.clear();
    }
    return names;
}

bool write_demo(const DemoOutput& out, const std::string& dir, std::string& error) {
    const fs::path root(dir);
    std::error_code ec;
    fs::create_directories(root / "saves", ec);
    if (ec) {
        error = "cannot create " + dir + ": " + ec.message();
        return false;
    }
    const std::vector<std::string> names = out.top_level_names(k_archived_folders);
    std::vector<std::string> replaced = read_demo_marker(dir);
    replaced.insert(replaced.end(), names.begin(), names.end());
    std::sort(replaced.begin(), replaced.end());
    replaced.erase(std::unique(replaced.begin(), replaced.end()), replaced.end());
    // The marker names both runs' files before anything goes, so that a run stopped half-way
    // still leaves the next one knowing what to remove.
    if (!write_marker(root, replaced)) {
        error = "cannot write " + (root / k_demo_marker).string();
        return false;
    }
    for (const std::string& name : replaced) fs::remove_all(root / name, ec);
    if (!out.write(dir, k_archived_folders, error)) return false;
    if (!write_marker(root, names)) {
        error = "cannot write " + (root / k_demo_marker).string();
        return false;
    }
    return true;
}
