// Shared by the resource tests: a scratch working directory (the loaders resolve every path
// against the working directory), small file helpers, and a display without a window.
#pragma once

#include <filesystem>
#include <fstream>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include <unistd.h>

#include "app/display_device.h"
#include "resources/archive.h"

// Makes a fresh folder the working directory for the life of the object.
class ScratchDir {
public:
    ScratchDir() {
        char pattern[] = "/tmp/vantor_res_XXXXXX";
        path_ = mkdtemp(pattern);
        previous_ = std::filesystem::current_path();
        std::filesystem::current_path(path_);
    }
    ~ScratchDir() {
        std::filesystem::current_path(previous_);
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_, previous_;
};

inline void write_file(const std::string& path, std::span<const uint8_t> bytes) {
    const std::filesystem::path p(path);
    if (p.has_parent_path()) std::filesystem::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

inline void write_file(const std::string& path, const std::string& text) {
    write_file(path, std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
}

inline void write_archive(const std::string& path, const std::vector<ArchiveFile>& files) {
    std::vector<uint8_t> bytes;
    if (encode_archive(files, bytes)) write_file(path, bytes);
}

inline std::vector<uint8_t> bytes_of(const std::string& s) {
    return {s.begin(), s.end()};
}

// A display device as set-up leaves it, without a window: plenty of video memory and the mode
// format of the given depth.
inline void make_display(DisplayDevice& dev, int bpp) {
    dev.display.pool = std::make_shared<VideoMemoryPool>();
    dev.display.pool->total = dev.display.pool->free = 64ull << 20;
    dev.display.exclusive = true;
    dev.display.mode_bpp = bpp == 32 ? 32 : 16;
    dev.display.mode_format = bpp == 32   ? k_format_xrgb8888
                              : bpp == 16 ? k_format_rgb565
                                          : k_format_rgb555;
    dev.display_bpp = bpp;
}
