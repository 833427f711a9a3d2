#include "app/options_dialog.h"

#include <utility>

#include "platform/system.h"

namespace {

// Check boxes in the order OK reads them.
constexpr std::pair<int, int32_t GameConfig::*> k_check_boxes[] = {
    {IDC_HARDWARE, &GameConfig::hardware_acceleration},
    {IDC_TRUE_COLOUR, &GameConfig::true_colour},
    {IDC_STENCIL, &GameConfig::stencil_shadows},
    {IDC_TRIPLE_BUFFER, &GameConfig::triple_buffer},
    {IDC_FOG, &GameConfig::volumetric_fog},
    {IDC_HOT_AIR, &GameConfig::hot_air},
    {IDC_SOUND, &GameConfig::sound_enabled},
    {IDC_MUSIC, &GameConfig::music_enabled},
    {IDC_VIDEO, &GameConfig::video_enabled},
    {IDC_ATI, &GameConfig::ati_compat},
};

// Radio button of each smoothing mode 0..3.
constexpr int k_smoothing_radio[4] = {IDC_SMOOTH_NONE, IDC_SMOOTH_EDGE, IDC_SMOOTH_FULL,
                                      IDC_SMOOTH_CONTOUR};

struct Texts {
    const char* title;
    const char* graphics;
    const char* sound;
    const char* smooth;
    const char* hardware;
    const char* true_colour;
    const char* triple_buffer;
    const char* fog;
    const char* hot_air;
    const char* stencil;
    const char* ati;
    const char* smooth_none;
    const char* smooth_edge;
    const char* smooth_full;
    const char* smooth_contour;
    const char* enable_sound;
    const char* enable_music;
    const char* enable_video;
};

constexpr Texts k_english = {
    "Setup Options",
    "Graphics options",
    "Sound options",
    "Smooth setting",
    "Use Hardware Acceleration ",
    "Use True Color",
    "Triple Buffer",
    "Volumetric Fog and Light",
    "Hot Air effect",
    "Stencil shadows",
    "Ati Radeon compatibility",
    "No Smooth",
    "Smooth Edge",
    "Smooth Full",
    "Smooth Contour",
    "Enable Sound",
    "Enable Music",
    "Enable Video",
};

constexpr Texts k_french = {
    "Paramètres",
    "Options graphiques",
    "Options audio",
    "Adoucissement des Textures",
    "Accélération Matérielle",
    "Couleurs vraies",
    "Buffer triple",
    "Brouillard et Lumière",
    "Effets d'Air chaud",
    "Ombres",
    "Compatibilité Ati Radeon",
    "Aucun",
    "Angles",
    "Complet",
    "Contours",
    "Activer Son",
    "Activer Musique",
    "Vidéo",
};

// 331 x 199 dialog units; controls in reading order.
DialogTemplate build_template(const Texts& t) {
    using K = ControlKind;
    DialogTemplate d;
    d.title = t.title;
    d.width = 331;
    d.height = 199;
    d.controls = {
        {0, K::group_box, t.graphics, 7, 7, 200, 164},
        {IDC_HARDWARE, K::check_box, t.hardware, 16, 20, 180, 10},
        {IDC_TRUE_COLOUR, K::check_box, t.true_colour, 16, 33, 180, 10},
        {IDC_TRIPLE_BUFFER, K::check_box, t.triple_buffer, 16, 46, 180, 10},
        {IDC_FOG, K::check_box, t.fog, 16, 59, 180, 10},
        {IDC_HOT_AIR, K::check_box, t.hot_air, 16, 72, 180, 10},
        {IDC_STENCIL, K::check_box, t.stencil, 16, 85, 180, 10},
        {IDC_ATI, K::check_box, t.ati, 16, 98, 180, 10},
        {0, K::group_box, t.smooth, 14, 114, 186, 50},
        {IDC_SMOOTH_NONE, K::radio_button, t.smooth_none, 22, 127, 80, 10, true},
        {IDC_SMOOTH_EDGE, K::radio_button, t.smooth_edge, 22, 143, 80, 10},
        {IDC_SMOOTH_FULL, K::radio_button, t.smooth_full, 108, 127, 85, 10},
        {IDC_SMOOTH_CONTOUR, K::radio_button, t.smooth_contour, 108, 143, 85, 10},
        {0, K::group_box, t.sound, 214, 7, 110, 59},
        {IDC_SOUND, K::check_box, t.enable_sound, 222, 20, 96, 10},
        {IDC_MUSIC, K::check_box, t.enable_music, 222, 33, 96, 10},
        {IDC_VIDEO, K::check_box, t.enable_video, 222, 46, 96, 10},
        {IDC_OK, K::push_button, "OK", 274, 178, 50, 14},
    };
    return d;
}

} // namespace

const DialogTemplate& options_dialog_template(DialogLanguage language) {
    static const DialogTemplate english = build_template(k_english);
    static const DialogTemplate french = build_template(k_french);
    return language == DialogLanguage::french ? french : english;
}

bool options_dialog_proc(GameConfig& config, DialogState& state, DialogMessage message,
                         int control_id) {
    if (message == DialogMessage::init) {
        // The field's value is the check state as it stands (a stored 4 shows as checked).
        for (auto [id, field] : k_check_boxes) state.checks[id] = config.*field;
        for (int mode = 0; mode < 4; ++mode)
            state.checks[k_smoothing_radio[mode]] = config.smoothing == mode ? 1 : 0;
        return true;
    }
    for (int mode = 0; mode < 4; ++mode) {
        if (control_id == k_smoothing_radio[mode]) {
            config.smoothing = mode;
            return true;
        }
    }
    if (control_id == IDC_OK) {
        for (auto [id, field] : k_check_boxes) config.*field = state.checks[id] != 0 ? 1 : 0;
        dialog_end(state, 1);
        return true;
    }
    return false;
}

int show_options_dialog(GameConfig& config, DialogLanguage language) {
    DialogState state;
    return sys_dialog_box(options_dialog_template(language), state,
                          [&config](DialogState& s, DialogMessage m, int id) {
                              return options_dialog_proc(config, s, m, id);
                          });
}
