// The files the generator makes, collected in memory under their game paths and written out at
// the end: loose files, and the folders that go into archives packed into "NAME.res".
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

class DemoOutput {
public:
    void add(const std::string& path, std::vector<uint8_t> bytes);
    void add_text(const std::string& path, const std::string& text);
    bool has(const std::string& path) const { return files_.count(path) != 0; }
    const std::vector<uint8_t>* find(const std::string& path) const;
    const std::map<std::string, std::vector<uint8_t>>& files() const { return files_; }

    // Write everything below `root`: files whose top folder is listed in `archived` go into
    // that folder's archive (in path order) instead of being written loose. Each file is
    // written whole or not at all. False on the first failure, with `error` saying which.
    bool write(const std::string& root, const std::vector<std::string>& archived,
               std::string& error) const;

    // The names `write` leaves directly below `root`: loose files and folders, and "NAME.res"
    // for each archived folder. Sorted, without repeats.
    std::vector<std::string> top_level_names(const std::vector<std::string>& archived) const;

private:
    std::map<std::string, std::vector<uint8_t>> files_; // sorted by path: a stable order
};
