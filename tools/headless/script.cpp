#include "tools/headless/script.h"

#include <set>
#include <sstream>

namespace {

// Command name -> the number of words it takes (-1: any).
struct Arity {
    int min, max;
};

const std::pair<const char*, Arity> k_commands[] = {
    {"wait", {1, 1}},   {"move", {2, 2}},          {"click", {2, 2}},  {"rclick", {2, 2}},
    {"press", {1, 1}},  {"release", {1, 1}},       {"key", {1, 1}},    {"type", {1, 1000}},
    {"window", {1, 1}}, {"lose-surfaces", {0, 0}}, {"dialog", {1, 3}}, {"until", {3, 5}},
    {"expect", {3, 3}}, {"screenshot", {1, 1}},    {"dump", {1, 1}},   {"quit", {0, 0}},
    {"kill", {0, 0}},
};

// Words separated by blanks; a word in double quotes may hold blanks (a text to compare with).
std::vector<std::string> split_words(const std::string& body) {
    std::vector<std::string> words;
    size_t i = 0;
    while (i < body.size()) {
        if (body[i] == ' ' || body[i] == '\t') {
            ++i;
            continue;
        }
        size_t end;
        if (body[i] == '"' && (end = body.find('"', i + 1)) != std::string::npos) {
            words.push_back(body.substr(i + 1, end - i - 1));
            i = end + 1;
            continue;
        }
        end = body.find_first_of(" \t", i);
        if (end == std::string::npos) end = body.size();
        words.push_back(body.substr(i, end - i));
        i = end;
    }
    return words;
}

} // namespace

bool parse_expression(const std::vector<std::string>& words, Expression& out) {
    static const std::set<std::string> ops = {"==", "!=", "<", "<=", ">", ">="};
    if (words.size() < 3 || !ops.count(words[1])) return false;
    out = {words[0], words[1], words[2]};
    return true;
}

bool parse_script(const std::string& text, std::vector<ScriptCommand>& out, std::string& error) {
    std::istringstream in(text);
    std::string raw;
    int line = 0;
    while (std::getline(in, raw)) {
        ++line;
        if (!raw.empty() && raw.back() == '\r') raw.pop_back();
        std::string body = raw;
        if (const size_t hash = body.find('#'); hash != std::string::npos) body.resize(hash);
        std::vector<std::string> words = split_words(body);
        if (words.empty()) continue;
        ScriptCommand c;
        c.line = line;
        c.name = words[0];
        c.args.assign(words.begin() + 1, words.end());
        const size_t name_at = body.find(c.name);
        c.rest = body.substr(name_at + c.name.size());
        if (const size_t first = c.rest.find_first_not_of(" \t"); first != std::string::npos)
            c.rest = c.rest.substr(first);
        else
            c.rest.clear();
        while (!c.rest.empty() && (c.rest.back() == ' ' || c.rest.back() == '\t'))
            c.rest.pop_back();

        const Arity* arity = nullptr;
        for (const auto& [name, a] : k_commands)
            if (c.name == name) arity = &a;
        const int n = static_cast<int>(c.args.size());
        if (!arity || n < arity->min || n > arity->max) {
            error = "line " + std::to_string(line) + ": cannot read \"" + raw + "\"";
            return false;
        }
        if (c.name == "until" || c.name == "expect") {
            Expression e;
            const bool has_max = c.name == "until" && n == 5;
            if (!parse_expression(c.args, e) || (c.name == "until" && n != 3 && !has_max) ||
                (has_max && c.args[3] != "max")) {
                error = "line " + std::to_string(line) + ": cannot read the expression";
                return false;
            }
        }
        out.push_back(std::move(c));
    }
    return true;
}
