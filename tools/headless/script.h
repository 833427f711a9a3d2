// The runner's script: one command a line, '#' starts a comment.
#pragma once

#include <string>
#include <vector>

struct ScriptCommand {
    int line = 0;
    std::string name;              // "wait", "click", "until", ...
    std::vector<std::string> args; // the words after the name
    std::string rest;              // the text after the name, as written (for "type")
};

// Parse a script. On a malformed line returns false with a message naming it.
bool parse_script(const std::string& text, std::vector<ScriptCommand>& out, std::string& error);

// An expression "FIELD OP VALUE".
struct Expression {
    std::string field;
    std::string op; // == != < <= > >=
    std::string value;
};

bool parse_expression(const std::vector<std::string>& words, Expression& out);
