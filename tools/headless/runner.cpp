#include "tools/headless/runner.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "app/game.h"
#include "platform/codepage.h"
#include "platform/headless/headless_platform.h"
#include "tools/common/png_image.h"
#include "tools/headless/dump.h"

namespace {

constexpr uint64_t k_default_until_max = 100000;

bool to_int(const std::string& s, int64_t& out) {
    auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
    return ec == std::errc() && p == s.data() + s.size();
}

bool to_double(const std::string& s, double& out) {
    char* end = nullptr;
    out = std::strtod(s.c_str(), &end);
    return !s.empty() && end == s.c_str() + s.size();
}

uint32_t key_code(const std::string& name) {
    static const std::pair<const char*, uint32_t> keys[] = {
        {"ESCAPE", VK_ESCAPE}, {"SPACE", VK_SPACE}, {"ENTER", VK_RETURN}, {"BACKSPACE", VK_BACK},
        {"F5", VK_F5},         {"F6", VK_F6},       {"F7", VK_F7},        {"F9", VK_F9},
        {"F11", VK_F11},       {"F12", VK_F12},
    };
    for (const auto& [n, code] : keys)
        if (name == n) return code;
    if (name.size() == 1 && std::isalpha(static_cast<unsigned char>(name[0])))
        return static_cast<uint32_t>(std::toupper(static_cast<unsigned char>(name[0])));
    if (name.size() == 1 && std::isdigit(static_cast<unsigned char>(name[0])))
        return static_cast<uint32_t>(name[0]);
    return 0;
}

bool compare(double a, const std::string& op, double b) {
    if (op == "==") return a == b;
    if (op == "!=") return a != b;
    if (op == "<") return a < b;
    if (op == "<=") return a <= b;
    if (op == ">") return a > b;
    return a >= b;
}

} // namespace

Runner::Runner(Game& game, std::vector<ScriptCommand> script, RunnerOptions options)
    : game_(game), script_(std::move(script)), options_(std::move(options)) {}

void Runner::attach() {
    headless::machine().pump = [this](headless::PumpPoint point) { pump(static_cast<int>(point)); };
}

void Runner::pump(int point) {
    if (game_.app.passes > options_.max_passes)
        fail(blocking_copy_, "more than " + std::to_string(options_.max_passes) + " passes");
    in_dialog_ = point == static_cast<int>(headless::PumpPoint::dialog);
    if (!in_dialog_) loop_running_ = true;
    run_commands();
    if (point == static_cast<int>(headless::PumpPoint::block) && block_ != Block::none)
        fail(blocking_copy_,
             "the program waits for a window message (its window is inactive) and the script "
             "sends none");
    if (block_ == Block::none && pending_.empty() && next_ >= script_.size() && !closed_) {
        // The script is over: close the window as a player would, which ends the program
        // without the orderly shutdown.
        closed_ = true;
        sys_post_message({MessageKind::close, 0});
    }
}

void Runner::finish(int exit_code) {
    program_ended_ = true;
    in_dialog_ = false;
    exit_code_ = exit_code;
    headless::machine().pump = nullptr;
    run_commands();
    write_outputs();
}

void Runner::write_outputs() {
    if (options_.capture_path.empty()) return;
    headless::mix_to_clock();
    if (!headless::write_capture(options_.capture_path))
        std::fprintf(stderr, "vantor-headless: cannot write %s\n", options_.capture_path.c_str());
}

bool Runner::window_inactive() const {
    // Messages still queued (a restore, say) may make it active again.
    return !game_.app.app_active && headless::machine().queue.empty();
}

bool Runner::blocked() {
    switch (block_) {
    case Block::none:
        return false;
    case Block::passes:
        // An inactive window runs no passes, so the wait is over; but before the main loop
        // starts (a dialog at start-up) the window is not active yet and the wait stands.
        if (program_ended_ || (loop_running_ && window_inactive()) ||
            game_.app.passes >= target_passes_)
            break;
        return true;
    case Block::until: {
        std::string got;
        if (evaluate(blocking_copy_, 0, got)) break;
        if (program_ended_) fail(blocking_copy_, "the program ended first; " + got);
        if (game_.app.passes >= until_limit_) fail(blocking_copy_, "did not hold in time; " + got);
        return true;
    }
    case Block::program_end:
        if (program_ended_) break;
        return true;
    case Block::dialog_closed:
        if (program_ended_ || !in_dialog_) break;
        return true;
    }
    block_ = Block::none;
    return false;
}

void Runner::run_commands() {
    for (;;) {
        if (blocked()) return;
        ScriptCommand c;
        if (!pending_.empty()) {
            c = pending_.front();
            pending_.erase(pending_.begin());
        } else if (next_ < script_.size()) {
            c = script_[next_++];
        } else {
            return;
        }
        execute(c);
    }
}

void Runner::queue_expansion(std::vector<ScriptCommand> commands) {
    pending_.insert(pending_.begin(), commands.begin(), commands.end());
}

void Runner::execute(const ScriptCommand& c) {
    const std::string& n = c.name;
    auto number = [&](size_t i) {
        int64_t v = 0;
        if (i >= c.args.size() || !to_int(c.args[i], v)) fail(c, "expected a whole number");
        return v;
    };
    blocking_copy_ = c;
    if (n == "wait") {
        target_passes_ = game_.app.passes + static_cast<uint64_t>(std::max<int64_t>(0, number(0)));
        block_ = Block::passes;
    } else if (n == "move") {
        const headless::Machine& m = headless::machine();
        const int64_t dx = number(0) - (game_.input.mouse_x + m.motion.dx);
        const int64_t dy = number(1) - (game_.input.mouse_y + m.motion.dy);
        headless::mouse_move(static_cast<int>(dx), static_cast<int>(dy));
    } else if (n == "click" || n == "rclick") {
        const std::string button = n == "click" ? "left" : "right";
        auto make = [&](std::string name, std::vector<std::string> args) {
            return ScriptCommand{c.line, std::move(name), std::move(args), {}};
        };
        queue_expansion({make("move", c.args), make("press", {button}), make("wait", {"1"}),
                         make("release", {button}), make("wait", {"1"})});
    } else if (n == "press" || n == "release") {
        const std::string& b = c.args[0];
        if (b != "left" && b != "right") fail(c, "the button is left or right");
        headless::mouse_button(b == "left" ? 0 : 1, n == "press");
    } else if (n == "key") {
        const uint32_t code = key_code(c.args[0]);
        if (code == 0) fail(c, "unknown key " + c.args[0]);
        sys_post_message({MessageKind::key_down, code});
        // As on a real keyboard, these keys also type their character.
        if (code == VK_RETURN || code == VK_BACK || code == VK_SPACE)
            sys_post_message({MessageKind::character, code == VK_RETURN ? 13u
                                                      : code == VK_BACK ? 8u
                                                                        : 32u});
    } else if (n == "type") {
        for (uint8_t code : utf8_to_cp1251(c.rest))
            sys_post_message({MessageKind::character, code});
    } else if (n == "window") {
        const std::string& what = c.args[0];
        if (what == "minimize")
            headless::window_minimize();
        else if (what == "restore")
            headless::window_restore();
        else if (what == "deactivate")
            headless::window_deactivate();
        else if (what == "activate")
            headless::window_activate();
        else
            fail(c, "window takes minimize, restore, deactivate or activate");
    } else if (n == "lose-surfaces") {
        display_lose_all_surfaces(game_.display.display);
    } else if (n == "dialog") {
        headless::DialogAnswer a;
        const std::string& what = c.args[0];
        if (what == "check" && c.args.size() == 3 && (c.args[2] == "on" || c.args[2] == "off")) {
            a = {headless::DialogAnswer::check, static_cast<int>(number(1)), c.args[2] == "on"};
        } else if (what == "click" && c.args.size() == 2) {
            a = {headless::DialogAnswer::click, static_cast<int>(number(1)), 0};
        } else if (what == "ok" && c.args.size() == 1) {
            a = {headless::DialogAnswer::ok, 1, 0};
        } else {
            fail(c, "dialog takes: check ID on|off, click ID, ok");
        }
        headless::machine().answers.push_back(a);
        // The commands after OK see the dialog's outcome, so they wait for it to close.
        if (a.kind == headless::DialogAnswer::ok && in_dialog_) block_ = Block::dialog_closed;
    } else if (n == "until") {
        const uint64_t max =
            c.args.size() == 5 ? static_cast<uint64_t>(number(4)) : k_default_until_max;
        until_limit_ = game_.app.passes + max;
        block_ = Block::until;
    } else if (n == "expect") {
        std::string got;
        if (!evaluate(c, 0, got)) fail(c, "expectation failed; " + got);
    } else if (n == "screenshot") {
        RgbImage image;
        image.rgb = headless::presented_rgb(image.width, image.height);
        if (!write_png(output_path(c.args[0]), image)) fail(c, "cannot write " + c.args[0]);
    } else if (n == "dump") {
        std::ofstream out(output_path(c.args[0]), std::ios::binary);
        out << state().dump() << '\n';
        if (!out) fail(c, "cannot write " + c.args[0]);
    } else if (n == "quit") {
        game_.app.quit_requested = 1;
        block_ = Block::program_end;
    } else if (n == "kill") {
        write_outputs();
        std::fflush(nullptr);
        std::_Exit(0);
    }
}

Json Runner::state() const {
    Json j = dump_game(game_);
    const headless::Machine& m = headless::machine();
    j["passes"] = static_cast<uint64_t>(game_.app.passes);
    j["clock_ms"] = m.clock_ms;
    j["dialogs_shown"] = m.dialogs_shown;
    j["clean_exit_written"] = game_.app.clean_exit_written;
    Json boxes = Json::array();
    for (const std::string& text : m.message_boxes) boxes.push(Json(text));
    j["message_boxes"] = boxes;
    j["program_ended"] = program_ended_;
    j["exit_code"] = exit_code_;
    return j;
}

bool Runner::evaluate(const ScriptCommand& c, size_t first_word, std::string& got) {
    Expression e;
    std::vector<std::string> words(c.args.begin() + static_cast<long>(first_word), c.args.end());
    if (!parse_expression(words, e)) fail(c, "cannot read the expression");
    const Json snapshot = state();
    const Json* field = snapshot.find(e.field);
    if (!field) fail(c, "no field " + e.field);
    got = e.field + " is " + field->scalar_text();
    double want = 0;
    if (field->is_number() && to_double(e.value, want)) return compare(field->number(), e.op, want);
    const std::string have = field->scalar_text();
    if (e.op == "==") return have == e.value;
    if (e.op == "!=") return have != e.value;
    fail(c, "only == and != compare text");
}

void Runner::fail(const ScriptCommand& c, const std::string& message) {
    std::fprintf(stderr, "script line %d (%s): %s\n", c.line, c.name.c_str(), message.c_str());
    write_outputs();
    std::fflush(nullptr);
    std::_Exit(1);
}

std::string Runner::output_path(const std::string& name) const {
    if (!name.empty() && name[0] == '/') return name;
    return options_.output_dir + "/" + name;
}
