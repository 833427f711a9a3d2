// The options dialog: the start-up settings as check boxes and the smoothing radio group.
//
// Radio buttons change `smoothing` at once; check boxes are read into their fields only when OK
// is pressed, and OK is the only way out.
#pragma once

#include "app/config.h"
#include "platform/dialog.h"

enum OptionsControl : int {
    IDC_OK = 1,
    IDC_HARDWARE = 1001,
    IDC_TRUE_COLOUR = 1002,
    IDC_FOG = 1003,
    IDC_TRIPLE_BUFFER = 1012,
    IDC_HOT_AIR = 1013,
    IDC_SMOOTH_CONTOUR = 1021,
    IDC_SMOOTH_NONE = 1024,
    IDC_SMOOTH_EDGE = 1025,
    IDC_SMOOTH_FULL = 1026,
    IDC_STENCIL = 1027,
    IDC_SOUND = 1028,
    IDC_MUSIC = 1029,
    IDC_VIDEO = 1030,
    IDC_ATI = 1031,
};

enum class DialogLanguage {
    english,
    french
};

// Dialog 103: English in the game, French in the setup program.
const DialogTemplate& options_dialog_template(DialogLanguage language);

bool options_dialog_proc(GameConfig& config, DialogState& state, DialogMessage message,
                         int control_id);

// Show the dialog modally; returns its result (1 after OK).
int show_options_dialog(GameConfig& config, DialogLanguage language);
