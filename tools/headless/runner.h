// Runs a script against the game while the game runs: the headless machine calls the runner
// whenever the game looks for input, and the runner carries out commands until one of them needs
// the game to run on (a wait, an until, the end of a click).
#pragma once

#include <string>
#include <vector>

#include "tools/common/json.h"
#include "tools/headless/script.h"

struct Game;

struct RunnerOptions {
    std::string output_dir; // screenshots and dumps are written relative to this
    uint64_t max_passes = 1000000;
    std::string capture_path; // where everything mixed goes; empty for none
};

class Runner {
public:
    Runner(Game& game, std::vector<ScriptCommand> script, RunnerOptions options);

    // Install the runner as the machine's input driver.
    void attach();
    // The program returned: carry out what is left of the script against its final state.
    void finish(int exit_code);

private:
    enum class Block {
        none,
        passes,
        until,
        program_end,
        dialog_closed,
    };

    void pump(int point);
    void run_commands();
    bool blocked();
    bool window_inactive() const;
    void execute(const ScriptCommand& c);
    bool evaluate(const ScriptCommand& c, size_t first_word, std::string& got);
    [[noreturn]] void fail(const ScriptCommand& c, const std::string& message);
    std::string output_path(const std::string& name) const;
    Json state() const;
    void queue_expansion(std::vector<ScriptCommand> commands);
    // What the run leaves behind however it ends: the captured sound.
    void write_outputs();

    Game& game_;
    std::vector<ScriptCommand> script_;
    RunnerOptions options_;
    size_t next_ = 0;
    std::vector<ScriptCommand> pending_; // commands a click expands to, run before script_[next_]

    Block block_ = Block::none;
    ScriptCommand blocking_copy_; // the command that set the block, for messages
    uint64_t target_passes_ = 0;
    uint64_t until_limit_ = 0;
    bool program_ended_ = false;
    bool closed_ = false;
    bool in_dialog_ = false;    // the game is showing a modal dialog now
    bool loop_running_ = false; // the game asked for input from its main loop at least once
    int exit_code_ = 0;
};
