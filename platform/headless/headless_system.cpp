// The headless implementation of the platform interface.
#include "platform/headless/headless_platform.h"

#include <cstdio>
#include <cstring>

namespace headless {

Machine& machine() {
    static Machine m;
    return m;
}

namespace {

void pump(PumpPoint point) {
    if (machine().pump) machine().pump(point);
}

void lose_focus() {
    machine().focused = false;
    machine().mouse_acquired = false;
}

} // namespace

void window_minimize() {
    lose_focus();
    sys_post_message({MessageKind::size, SIZE_MINIMIZED});
}

void window_restore() {
    machine().focused = true;
    sys_post_message({MessageKind::size, SIZE_RESTORED});
}

void window_deactivate() {
    lose_focus();
    sys_post_message({MessageKind::activate, 0});
}

void window_activate() {
    // Regaining activation is reported like a restore: the game resumes after its pause.
    window_restore();
}

void mouse_move(int dx, int dy) {
    machine().motion.dx += dx;
    machine().motion.dy += dy;
}

void mouse_button(int button, bool down) {
    if (button >= 0 && button < 4) machine().buttons[button] = down ? 0x80 : 0;
}

std::vector<uint8_t> presented_rgb(int& width, int& height) {
    const Machine& m = machine();
    width = m.has_frame ? m.frame_width : 640;
    height = m.has_frame ? m.frame_height : 480;
    std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3, 0);
    if (!m.has_frame) return rgb;
    const int bpp = bytes_per_pixel(m.frame_format);
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = m.frame.data() + static_cast<size_t>(y) * m.frame_pitch;
        for (int x = 0; x < width; ++x) {
            uint32_t v = 0;
            std::memcpy(&v, row + x * bpp, bpp);
            Rgb8 c = unpack_rgb(m.frame_format, v);
            uint8_t* out = &rgb[(static_cast<size_t>(y) * width + x) * 3];
            out[0] = static_cast<uint8_t>(m.frame_gamma.red[c.r] >> 8);
            out[1] = static_cast<uint8_t>(m.frame_gamma.green[c.g] >> 8);
            out[2] = static_cast<uint8_t>(m.frame_gamma.blue[c.b] >> 8);
        }
    }
    return rgb;
}

} // namespace headless

using headless::machine;

bool sys_create_window(const char*) {
    machine().window_exists = true;
    return true;
}

void sys_destroy_window() {
    if (!machine().window_exists) return;
    machine().window_exists = false;
    sys_post_message({MessageKind::destroy, 0});
}

bool sys_peek_message() {
    if (machine().queue.empty()) headless::pump(headless::PumpPoint::poll);
    return !machine().queue.empty();
}

void sys_wait_message() {
    if (!machine().queue.empty()) return;
    headless::pump(headless::PumpPoint::block);
    if (machine().queue.empty()) {
        // Nobody will ever send a message: end the program instead of hanging.
        machine().stalled = true;
        machine().queue.push_back({MessageKind::quit, 3});
    }
}

Message sys_get_message() {
    sys_wait_message();
    Message m = machine().queue.front();
    machine().queue.pop_front();
    return m;
}

bool sys_wait_message_until(uint32_t deadline_ms) {
    if (sys_peek_message()) return true;
    sys_wait_until(deadline_ms);
    return false;
}

void sys_post_message(const Message& m) {
    machine().queue.push_back(m);
}

uint32_t sys_milliseconds() {
    return machine().clock_ms;
}

void sys_wait_until(uint32_t deadline_ms) {
    // The virtual clock jumps: waiting costs no wall time.
    if (static_cast<int32_t>(deadline_ms - machine().clock_ms) > 0) {
        machine().clock_ms = deadline_ms;
        headless::mix_to_clock();
    }
}

bool sys_display_caps(DisplayCaps& caps) {
    caps.video_memory_total = machine().knobs.video_memory;
    caps.supports_32_bits = machine().knobs.supports_32_bits;
    caps.sixteen_bit_is_555 = machine().knobs.rgb555;
    caps.device_32_bits = machine().knobs.device_32_bits;
    caps.device_16_bits = machine().knobs.device_16_bits;
    caps.device_stencil = machine().knobs.device_stencil;
    return true;
}

bool sys_display_set_mode(int width, int height, int bits) {
    if (width != 640 || height != 480) return false;
    machine().display_bits = bits;
    return true;
}

void sys_present(const Surface& frame, const GammaRamp& gamma) {
    headless::Machine& m = machine();
    m.has_frame = true;
    m.frame.assign(frame.pixels.begin(), frame.pixels.end());
    m.frame_width = frame.width;
    m.frame_height = frame.height;
    m.frame_pitch = frame.pitch;
    m.frame_format = frame.format;
    m.frame_gamma = gamma;
}

bool sys_mouse_create() {
    machine().mouse_created = true;
    return true;
}

bool sys_mouse_acquire() {
    headless::Machine& m = machine();
    if (!m.mouse_created || !m.focused) return false;
    m.mouse_acquired = true;
    return true;
}

void sys_mouse_unacquire() {
    machine().mouse_acquired = false;
}

MouseRead sys_mouse_read(MouseState& state) {
    headless::Machine& m = machine();
    if (!m.mouse_created) return MouseRead::failed;
    if (!m.mouse_acquired) return MouseRead::input_lost;
    state = m.motion;
    std::memcpy(state.buttons, m.buttons, sizeof state.buttons);
    m.motion = {};
    return MouseRead::ok;
}

void sys_mouse_release() {
    machine().mouse_created = false;
    machine().mouse_acquired = false;
}

void sys_message_box(const char* text, const char* caption, MessageBoxIcon) {
    machine().message_boxes.emplace_back(text);
    std::fprintf(stderr, "[message box] %s: %s\n", caption, text);
}

int sys_dialog_box(const DialogTemplate& dialog, DialogState& state, const DialogProc& proc) {
    headless::Machine& m = machine();
    ++m.dialogs_shown;
    state = {};
    proc(state, DialogMessage::init, 0);
    headless::pump(headless::PumpPoint::dialog);
    std::vector<headless::DialogAnswer> answers;
    answers.swap(m.answers);
    for (const headless::DialogAnswer& a : answers) {
        if (state.ended) break;
        if (a.kind == headless::DialogAnswer::check) {
            if ((state.checks[a.id] != 0) == (a.value != 0)) continue;
            dialog_click_control(dialog, state, a.id);
            proc(state, DialogMessage::command, a.id);
        } else if (a.kind == headless::DialogAnswer::click) {
            dialog_click_control(dialog, state, a.id);
            proc(state, DialogMessage::command, a.id);
        } else {
            proc(state, DialogMessage::command, 1);
        }
    }
    // A dialog the script left open is closed with OK, its only way out.
    if (!state.ended) proc(state, DialogMessage::command, 1);
    return state.result;
}
