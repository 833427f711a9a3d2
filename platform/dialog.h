// A toolkit-independent modal dialog: a template of controls addressed by id, the check states,
// and a procedure that receives the initialisation and the commands of the controls.
//
// Backends draw the template and turn clicks into commands; check boxes and radio buttons change
// their own state before the command reaches the procedure, as standard dialog controls do.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

enum class ControlKind {
    check_box,
    radio_button,
    push_button,
    group_box
};

struct DialogControl {
    int id = 0;
    ControlKind kind = ControlKind::check_box;
    std::string text; // UTF-8
    // Position and size in dialog units of the form.
    int x = 0, y = 0, w = 0, h = 0;
    bool group_start = false; // a radio button that starts a new group
};

struct DialogTemplate {
    std::string title;
    int width = 0, height = 0;
    std::vector<DialogControl> controls;
};

struct DialogState {
    std::map<int, int> checks; // control id -> check state (0 unchecked, nonzero checked)
    bool ended = false;
    int result = 0;
};

enum class DialogMessage {
    init,
    command
};

// Returns true when it handled the message.
using DialogProc = std::function<bool(DialogState&, DialogMessage, int control_id)>;

// Apply a click on a control the way a standard dialog does before the command is sent:
// a check box toggles, a radio button becomes the only checked one of its group.
void dialog_click_control(const DialogTemplate& dialog, DialogState& state, int control_id);
void dialog_end(DialogState& state, int result);
