#include "tools/common/json.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

Json& Json::operator[](std::string_view key) {
    if (type_ != Type::object) *this = object();
    for (auto& [k, v] : members_)
        if (k == key) return v;
    members_.emplace_back(std::string(key), Json());
    return members_.back().second;
}

const Json* Json::find(std::string_view path) const {
    const Json* node = this;
    while (!path.empty()) {
        const size_t dot = path.find('.');
        const std::string_view part = path.substr(0, dot);
        path = dot == std::string_view::npos ? std::string_view() : path.substr(dot + 1);
        if (node->type_ == Type::object) {
            const Json* next = nullptr;
            for (const auto& [k, v] : node->members_)
                if (k == part) next = &v;
            if (!next) return nullptr;
            node = next;
        } else if (node->type_ == Type::array) {
            size_t index = 0;
            auto [p, ec] = std::from_chars(part.data(), part.data() + part.size(), index);
            if (ec != std::errc() || p != part.data() + part.size() || index >= node->items_.size())
                return nullptr;
            node = &node->items_[index];
        } else {
            return nullptr;
        }
    }
    return node;
}

namespace {

void escape_to(std::string& out, const std::string& s) {
    out += '"';
    for (unsigned char c : s) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (c < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", c);
                out += buf;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    out += '"';
}

std::string number_text(double v) {
    if (std::isfinite(v) && v == std::floor(v) && std::fabs(v) < 1e15) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%.0f", v);
        return buf;
    }
    if (!std::isfinite(v)) return "null";
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.9g", v);
    return buf;
}

} // namespace

std::string Json::scalar_text() const {
    switch (type_) {
    case Type::null:
        return "null";
    case Type::boolean:
        return number_ != 0 ? "true" : "false";
    case Type::number:
        return number_text(number_);
    case Type::string:
        return string_;
    default:
        return dump(0);
    }
}

void Json::dump_to(std::string& out, int indent, int depth) const {
    auto newline = [&](int d) {
        if (indent <= 0) return;
        out += '\n';
        out.append(static_cast<size_t>(indent * d), ' ');
    };
    switch (type_) {
    case Type::null:
    case Type::boolean:
    case Type::number:
        out += scalar_text();
        break;
    case Type::string:
        escape_to(out, string_);
        break;
    case Type::array: {
        // Arrays of scalars stay on one line: points, rectangles and tables read better so.
        bool flat = true;
        for (const Json& v : items_)
            flat = flat && v.type_ != Type::array && v.type_ != Type::object;
        out += '[';
        for (size_t i = 0; i < items_.size(); ++i) {
            if (i) out += flat ? ", " : ",";
            if (!flat) newline(depth + 1);
            items_[i].dump_to(out, indent, depth + 1);
        }
        if (!flat && !items_.empty()) newline(depth);
        out += ']';
        break;
    }
    case Type::object:
        out += '{';
        for (size_t i = 0; i < members_.size(); ++i) {
            if (i) out += ',';
            newline(depth + 1);
            escape_to(out, members_[i].first);
            out += indent > 0 ? ": " : ":";
            members_[i].second.dump_to(out, indent, depth + 1);
        }
        if (!members_.empty()) newline(depth);
        out += '}';
        break;
    }
}

std::string Json::dump(int indent) const {
    std::string out;
    dump_to(out, indent, 0);
    return out;
}

namespace {

struct Parser {
    std::string_view s;
    size_t i = 0;
    int depth = 0;

    void skip() {
        while (i < s.size() && (s[i] == ' ' || s[i] == '\n' || s[i] == '\r' || s[i] == '\t')) ++i;
    }
    bool literal(std::string_view word) {
        if (s.substr(i, word.size()) != word) return false;
        i += word.size();
        return true;
    }
    bool string(std::string& out) {
        if (i >= s.size() || s[i] != '"') return false;
        ++i;
        while (i < s.size() && s[i] != '"') {
            char c = s[i++];
            if (c != '\\') {
                out += c;
                continue;
            }
            if (i >= s.size()) return false;
            char e = s[i++];
            switch (e) {
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            case 't':
                out += '\t';
                break;
            case 'u': {
                if (i + 4 > s.size()) return false;
                unsigned code = 0;
                auto [p, ec] = std::from_chars(s.data() + i, s.data() + i + 4, code, 16);
                if (ec != std::errc() || p != s.data() + i + 4) return false;
                i += 4;
                if (code < 0x80) {
                    out += static_cast<char>(code);
                } else if (code < 0x800) {
                    out += static_cast<char>(0xC0 | (code >> 6));
                    out += static_cast<char>(0x80 | (code & 0x3F));
                } else {
                    out += static_cast<char>(0xE0 | (code >> 12));
                    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
                    out += static_cast<char>(0x80 | (code & 0x3F));
                }
                break;
            }
            default:
                out += e;
            }
        }
        if (i >= s.size()) return false;
        ++i;
        return true;
    }
    bool value(Json& out) {
        if (++depth > 64) return false;
        skip();
        bool ok = parse_value(out);
        --depth;
        return ok;
    }
    bool parse_value(Json& out) {
        if (i >= s.size()) return false;
        const char c = s[i];
        if (c == '{') {
            ++i;
            out = Json::object();
            skip();
            if (i < s.size() && s[i] == '}') return ++i, true;
            for (;;) {
                skip();
                std::string key;
                if (!string(key)) return false;
                skip();
                if (i >= s.size() || s[i++] != ':') return false;
                if (!value(out[key])) return false;
                skip();
                if (i < s.size() && s[i] == ',') {
                    ++i;
                    continue;
                }
                if (i < s.size() && s[i] == '}') return ++i, true;
                return false;
            }
        }
        if (c == '[') {
            ++i;
            out = Json::array();
            skip();
            if (i < s.size() && s[i] == ']') return ++i, true;
            for (;;) {
                Json item;
                if (!value(item)) return false;
                out.push(std::move(item));
                skip();
                if (i < s.size() && s[i] == ',') {
                    ++i;
                    continue;
                }
                if (i < s.size() && s[i] == ']') return ++i, true;
                return false;
            }
        }
        if (c == '"') {
            std::string text;
            if (!string(text)) return false;
            out = Json(std::move(text));
            return true;
        }
        if (literal("true")) return out = Json(true), true;
        if (literal("false")) return out = Json(false), true;
        if (literal("null")) return out = Json(), true;
        const size_t start = i;
        while (i < s.size() && (std::isdigit(static_cast<unsigned char>(s[i])) || s[i] == '-' ||
                                s[i] == '+' || s[i] == '.' || s[i] == 'e' || s[i] == 'E'))
            ++i;
        if (start == i) return false;
        const std::string num(s.substr(start, i - start));
        char* end = nullptr;
        const double v = std::strtod(num.c_str(), &end);
        if (end != num.c_str() + num.size()) return false;
        out = Json(v);
        return true;
    }
};

} // namespace

bool Json::parse(std::string_view text, Json& out) {
    Parser p{text};
    if (!p.value(out)) return false;
    p.skip();
    return p.i == text.size();
}
