#include "tools/demo/make_demo.h"

#include <algorithm>
#include <filesystem>

#include "platform/files.h"
#include "tools/demo/interface_pictures.h"
#include "tools/demo/models.h"
#include "tools/demo/scenes.h"
#include "tools/demo/sounds.h"
#include "tools/demo/texts.h"

namespace fs = std::filesystem;

namespace {

// Far above any font a game ships; a larger file is not read.
constexpr size_t k_font_file_max = 64u << 20;

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
    if (options.pictures) make_interface_pictures(out);
    if (options.models) make_models(out);
    if (options.sounds) make_sounds(out);
    if (options.texts) make_text_tables(out);
    if (options.voices && !make_voices(out, error)) return false;
    for (const SceneRecipe* recipe : demo_scenes()) {
        if (!options.scenes.empty() && std::find(options.scenes.begin(), options.scenes.end(),
                                                 recipe->number) == options.scenes.end())
            continue;
        generate_scene(*recipe, options.quality, out);
    }
    return true;
}

bool write_demo(const DemoOutput& out, const std::string& dir, std::string& error) {
    std::error_code ec;
    fs::create_directories(fs::path(dir) / "saves", ec);
    if (ec) {
        error = "cannot create " + dir + ": " + ec.message();
        return false;
    }
    // What an earlier run made goes first, so that no stale file survives a change of content.
    for (const char* owned :
         {"data", "gfx", "models", "sound", "textures", "data.res", "sound.res", "tovi.ttf"})
        fs::remove_all(fs::path(dir) / owned, ec);
    return out.write(dir, k_archived_folders, error);
}
