#include "tools/demo/make_demo.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>

#include "platform/files.h"
#include "tools/demo/films.h"
#include "tools/demo/interface_pictures.h"
#include "tools/demo/models.h"
#include "tools/demo/music.h"
#include "tools/demo/scenes.h"
#include "tools/demo/sounds.h"
#include "tools/demo/texts.h"

namespace fs = std::filesystem;

namespace {

// The scenes the films are staged in: the hut, the clearing and the chapel.
const std::set<int> k_film_stages = {3, 4, 6};

} // namespace

bool generate_demo(const DemoOptions& options, DemoOutput& out, std::string& error) {
    if (!options.font.empty()) {
        std::vector<uint8_t> font;
        if (!file_read_all(options.font, font)) {
            error = "cannot read the font " + options.font;
            return false;
        }
        out.add("tovi.ttf", std::move(font));
    }
    if (options.pictures) make_interface_pictures(out);
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

bool write_demo(const DemoOutput& out, const std::string& dir, std::string& error) {
    std::error_code ec;
    fs::create_directories(fs::path(dir) / "saves", ec);
    if (ec) {
        error = "cannot create " + dir + ": " + ec.message();
        return false;
    }
    // What an earlier run made goes first, so that no stale file survives a change of content.
    for (const char* owned : {"avis", "data", "gfx", "models", "music", "sound", "textures",
                              "data.res", "sound.res", "tovi.ttf"})
        fs::remove_all(fs::path(dir) / owned, ec);
    return out.write(dir, k_archived_folders, error);
}
