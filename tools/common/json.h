// A small JSON value for the tools' output and the runner's dumps: build, print, parse, and look
// up a field by a dotted path ("actors.0.position.x").
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class Json {
public:
    enum class Type {
        null,
        boolean,
        number,
        string,
        array,
        object
    };

    Json() = default;
    Json(bool b) : type_(Type::boolean), number_(b ? 1 : 0) {}
    Json(int v) : type_(Type::number), number_(v) {}
    Json(unsigned v) : type_(Type::number), number_(v) {}
    Json(int64_t v) : type_(Type::number), number_(static_cast<double>(v)) {}
    Json(uint64_t v) : type_(Type::number), number_(static_cast<double>(v)) {}
    Json(double v) : type_(Type::number), number_(v) {}
    Json(float v) : type_(Type::number), number_(v) {}
    Json(const char* s) : type_(Type::string), string_(s) {}
    Json(std::string s) : type_(Type::string), string_(std::move(s)) {}

    static Json array() { return Json(Type::array); }
    static Json object() { return Json(Type::object); }

    Type type() const { return type_; }
    bool is_number() const { return type_ == Type::number || type_ == Type::boolean; }
    double number() const { return number_; }
    const std::string& string() const { return string_; }
    const std::vector<Json>& items() const { return items_; }
    const std::vector<std::pair<std::string, Json>>& members() const { return members_; }

    // Object member, added when missing.
    Json& operator[](std::string_view key);
    void push(Json value) { items_.push_back(std::move(value)); }

    // Follow a path of member names and array indices separated by dots; nullptr if absent.
    const Json* find(std::string_view path) const;

    std::string dump(int indent = 2) const;
    // Text of a scalar as a script would write it (numbers without needless decimals).
    std::string scalar_text() const;

    static bool parse(std::string_view text, Json& out);

private:
    explicit Json(Type t) : type_(t) {}
    void dump_to(std::string& out, int indent, int depth) const;

    Type type_ = Type::null;
    double number_ = 0;
    std::string string_;
    std::vector<Json> items_;
    std::vector<std::pair<std::string, Json>> members_;
};
