#include "platform/dialog.h"

namespace {

// Index of the first and one past the last radio button of the group holding `index`.
std::pair<size_t, size_t> radio_group(const DialogTemplate& d, size_t index) {
    size_t first = index;
    while (first > 0 && !d.controls[first].group_start &&
           d.controls[first - 1].kind == ControlKind::radio_button)
        --first;
    size_t last = index + 1;
    while (last < d.controls.size() && d.controls[last].kind == ControlKind::radio_button &&
           !d.controls[last].group_start)
        ++last;
    return {first, last};
}

} // namespace

void dialog_click_control(const DialogTemplate& dialog, DialogState& state, int control_id) {
    for (size_t i = 0; i < dialog.controls.size(); ++i) {
        const DialogControl& c = dialog.controls[i];
        if (c.id != control_id) continue;
        if (c.kind == ControlKind::check_box) {
            state.checks[c.id] = state.checks[c.id] ? 0 : 1;
        } else if (c.kind == ControlKind::radio_button) {
            auto [first, last] = radio_group(dialog, i);
            for (size_t j = first; j < last; ++j) state.checks[dialog.controls[j].id] = 0;
            state.checks[c.id] = 1;
        }
        return;
    }
}

void dialog_end(DialogState& state, int result) {
    state.ended = true;
    state.result = result;
}
