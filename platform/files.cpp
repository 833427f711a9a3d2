#include "platform/files.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace fs = std::filesystem;

std::string native_path(std::string_view game_path) {
    std::string p(game_path);
    std::replace(p.begin(), p.end(), '\\', '/');
    return p;
}

namespace {

char ascii_lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool same_ignoring_case(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (ascii_lower(a[i]) != ascii_lower(b[i])) return false;
    return true;
}

// What a path must name: a folder on the way, or the file at its end.
bool has_kind(const std::string& path, bool folder) {
    struct stat st;
    if (stat(path.c_str(), &st) != 0) return false;
    return S_ISDIR(st.st_mode) == folder;
}

std::string joined(const std::string& folder, std::string_view name) {
    if (folder.empty()) return std::string(name);
    return folder.back() == '/' ? folder + std::string(name) : folder + "/" + std::string(name);
}

// The entries of `folder` of the wanted kind whose names equal `name` ignoring case: the exact
// name first, then the others in byte order, so that the choice does not depend on the
// directory's order.
std::vector<std::string> names_ignoring_case(const std::string& folder, std::string_view name,
                                             bool want_folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder.empty() ? "." : folder, ec)) {
        std::string candidate = entry.path().filename().string();
        if (candidate != name && same_ignoring_case(candidate, name) &&
            has_kind(joined(folder, candidate), want_folder))
            names.push_back(std::move(candidate));
    }
    std::sort(names.begin(), names.end());
    if (has_kind(joined(folder, name), want_folder)) names.insert(names.begin(), std::string(name));
    return names;
}

// Depth first: a folder that matches but does not hold the rest is passed over for the next one
// (a mod unpacked as "DATA/" beside the game's "data/").
std::string find_below(const std::string& folder, std::span<const std::string_view> parts) {
    const bool last = parts.size() == 1;
    for (const std::string& name : names_ignoring_case(folder, parts.front(), !last)) {
        std::string next = joined(folder, name);
        if (last) return next;
        std::string found = find_below(next, parts.subspan(1));
        if (!found.empty()) return found;
    }
    return {};
}

} // namespace

std::string find_file(std::string_view game_path) {
    const std::string exact = native_path(game_path);
    if (exact.empty()) return {};
    if (has_kind(exact, false)) return exact;
    std::vector<std::string_view> parts;
    std::string_view rest(exact);
    while (!rest.empty()) {
        const size_t slash = rest.find('/');
        if (slash != 0) parts.push_back(rest.substr(0, slash)); // not a leading or doubled slash
        rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
    }
    if (parts.empty()) return {};
    return find_below(exact.front() == '/' ? "/" : "", parts);
}

FILE* file_open(std::string_view game_path, const char* mode) {
    if (mode[0] != 'r') return std::fopen(native_path(game_path).c_str(), mode);
    const std::string path = find_file(game_path);
    return path.empty() ? nullptr : std::fopen(path.c_str(), mode);
}

bool file_exists(std::string_view game_path) {
    return !find_file(game_path).empty();
}

bool file_read_all(std::string_view game_path, size_t max_size, std::vector<uint8_t>& out) {
    FILE* f = file_open(game_path, "rb");
    if (!f) return false;
    struct stat st;
    bool ok = fstat(fileno(f), &st) == 0 && st.st_size >= 0 &&
              static_cast<uint64_t>(st.st_size) <= max_size;
    if (ok) {
        // Sized by the file; one that changes size while it is read fails rather than being cut.
        out.resize(static_cast<size_t>(st.st_size));
        size_t got = out.empty() ? 0 : std::fread(out.data(), 1, out.size(), f);
        ok = got == out.size() && std::fgetc(f) == EOF && !std::ferror(f);
        if (!ok) out.clear();
    }
    std::fclose(f);
    return ok;
}

namespace {

bool is_read_only(const fs::path& p) {
    std::error_code ec;
    fs::file_status st = fs::status(p, ec);
    if (ec || !fs::exists(st)) return false;
    // The permission bits, not access(): the owner's write bit is what marks a file read-only,
    // even for a user (root) whom the system would let write anyway.
    return (st.permissions() & fs::perms::owner_write) == fs::perms::none;
}

} // namespace

bool file_write_atomic(std::string_view game_path, std::span<const uint8_t> bytes) {
    const fs::path target(native_path(game_path));
    std::error_code ec;
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    if (!fs::is_directory(folder, ec) || is_read_only(target)) return false;

    const fs::path temp = target.string() + ".tmp" + std::to_string(getpid());
    FILE* f = std::fopen(temp.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = std::fflush(f) == 0 && ok;
    ok = fsync(fileno(f)) == 0 && ok;
    ok = std::fclose(f) == 0 && ok;
    if (ok) {
        fs::rename(temp, target, ec);
        ok = !ec;
    }
    if (!ok) fs::remove(temp, ec);
    return ok;
}

std::vector<std::string> file_search(std::string_view folder, std::string_view suffix) {
    std::vector<std::string> names;
    std::error_code ec;
    fs::directory_iterator it(native_path(folder), ec);
    if (ec) return names;
    auto lower = [](std::string s) {
        for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return s;
    };
    const std::string want = lower(std::string(suffix));
    for (const auto& entry : it) {
        if (!entry.is_regular_file(ec)) continue;
        std::string name = entry.path().filename().string();
        if (name.size() >= want.size() && lower(name).ends_with(want)) names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}
