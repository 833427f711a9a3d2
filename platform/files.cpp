#include "platform/files.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>
#include <unistd.h>

namespace fs = std::filesystem;

std::string native_path(std::string_view game_path) {
    std::string p(game_path);
    std::replace(p.begin(), p.end(), '\\', '/');
    return p;
}

FILE* file_open(std::string_view game_path, const char* mode) {
    return std::fopen(native_path(game_path).c_str(), mode);
}

bool file_exists(std::string_view game_path) {
    std::error_code ec;
    return fs::is_regular_file(native_path(game_path), ec);
}

bool file_read_all(std::string_view game_path, std::vector<uint8_t>& out) {
    FILE* f = file_open(game_path, "rb");
    if (!f) return false;
    out.clear();
    uint8_t buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.insert(out.end(), buf, buf + n);
    bool ok = !std::ferror(f);
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
