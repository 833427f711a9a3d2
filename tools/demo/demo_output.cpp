#include "tools/demo/demo_output.h"

#include <algorithm>
#include <filesystem>

#include "platform/files.h"
#include "resources/archive.h"

namespace fs = std::filesystem;

void DemoOutput::add(const std::string& path, std::vector<uint8_t> bytes) {
    files_[path] = std::move(bytes);
}

void DemoOutput::add_text(const std::string& path, const std::string& text) {
    files_[path] = std::vector<uint8_t>(text.begin(), text.end());
}

const std::vector<uint8_t>* DemoOutput::find(const std::string& path) const {
    const auto it = files_.find(path);
    return it == files_.end() ? nullptr : &it->second;
}

std::vector<std::string>
DemoOutput::top_level_names(const std::vector<std::string>& archived) const {
    std::vector<std::string> names;
    for (const auto& [path, bytes] : files_) {
        const size_t slash = path.find('/');
        const std::string top = path.substr(0, slash);
        const bool packed = slash != std::string::npos &&
                            std::find(archived.begin(), archived.end(), top) != archived.end();
        names.push_back(packed ? top + ".res" : top);
    }
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return names;
}

bool DemoOutput::write(const std::string& root, const std::vector<std::string>& archived,
                       std::string& error) const {
    std::map<std::string, std::vector<ArchiveFile>> archives;
    for (const auto& [path, bytes] : files_) {
        const std::string top = path.substr(0, path.find('/'));
        if (path.find('/') != std::string::npos &&
            std::find(archived.begin(), archived.end(), top) != archived.end()) {
            archives[top].push_back({path, bytes});
            continue;
        }
        const fs::path target = fs::path(root) / path;
        std::error_code ec;
        fs::create_directories(target.parent_path(), ec);
        if (ec || !file_write_atomic(target.string(), bytes)) {
            error = "cannot write " + target.string();
            return false;
        }
    }
    for (const auto& [top, entries] : archives) {
        std::vector<uint8_t> packed;
        if (!encode_archive(entries, packed)) {
            error = "cannot pack " + top + ".res";
            return false;
        }
        const fs::path target = fs::path(root) / (top + ".res");
        if (!file_write_atomic(target.string(), packed)) {
            error = "cannot write " + target.string();
            return false;
        }
        // The archive replaces the loose copies: only then does the game read through it.
        std::error_code ec;
        fs::remove_all(fs::path(root) / top, ec);
    }
    return true;
}
