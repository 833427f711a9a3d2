// Shared by the fuzz targets that read assets by name: a private working directory to put the
// archive in, and a plain reading of the archive table to compare the asset layer with.
#pragma once

#include <fcntl.h>
#include <stdlib.h>
#include <strings.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

// A scratch folder that serves as the working directory only while an input is run, so that the
// fuzzer's own relative corpus and artifact paths keep their meaning between runs.
class FuzzWorkingDir {
public:
    FuzzWorkingDir() {
        const char* base = std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : "/tmp";
        std::string pattern = std::string(base) + "/vantor_fuzz_XXXXXX";
        if (mkdtemp(pattern.data()) == nullptr) std::abort();
        path_ = pattern;
        dir_ = ::open(path_.c_str(), O_RDONLY | O_DIRECTORY);
        home_ = ::open(".", O_RDONLY | O_DIRECTORY);
        if (dir_ < 0 || home_ < 0) std::abort();
    }
    ~FuzzWorkingDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    FuzzWorkingDir(const FuzzWorkingDir&) = delete;
    FuzzWorkingDir& operator=(const FuzzWorkingDir&) = delete;

    // Write `bytes` as the file `name` inside the folder.
    void write(const char* name, std::span<const uint8_t> bytes) const {
        const int fd = ::openat(dir_, name, O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0) std::abort();
        size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
            if (n <= 0) std::abort();
            done += static_cast<size_t>(n);
        }
        ::close(fd);
    }

    // Run `body` with the folder as the working directory.
    template <typename Body> void inside(Body&& body) const {
        if (::fchdir(dir_) != 0) std::abort();
        body();
        if (::fchdir(home_) != 0) std::abort();
    }

private:
    std::filesystem::path path_;
    int dir_ = -1, home_ = -1;
};

// The bytes of the asset `path` in an archive, read straight from the table: the first entry of
// that name (compared without ASCII case) decides, and it must lie inside the archive. Empty when
// there is no such entry.
inline std::optional<std::span<const uint8_t>> archive_reference(std::span<const uint8_t> archive,
                                                                 std::string_view path) {
    auto u32 = [&](size_t at) {
        uint32_t v = 0;
        std::memcpy(&v, archive.data() + at, 4); // the fuzz machines are little-endian
        return v;
    };
    if (archive.size() < 4) return std::nullopt;
    const uint32_t count = u32(0);
    for (uint64_t i = 0, at = 4; i < count && at + 136 <= archive.size(); ++i, at += 136) {
        const char* name = reinterpret_cast<const char*>(archive.data() + at);
        const size_t length = strnlen(name, 128);
        if (length == 128 || length != path.size() || strncasecmp(name, path.data(), length) != 0)
            continue;
        const uint64_t offset = u32(at + 128), size = u32(at + 132);
        if (offset + size > archive.size()) return std::nullopt;
        return archive.subspan(offset, size);
    }
    return std::nullopt;
}
