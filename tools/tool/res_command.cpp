// res list / res pack: resource archives; cat: an asset as the game opens it.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>

#include "platform/files.h"
#include "resources/archive.h"
#include "resources/asset_file.h"
#include "tools/tool/commands.h"
#include "tools/tool/resource_output.h"

namespace fs = std::filesystem;

namespace {

Json entries_json(const std::vector<ArchiveEntry>& entries, uint32_t count) {
    Json j = Json::object();
    j["count"] = count;
    Json list = Json::array();
    for (const ArchiveEntry& e : entries) {
        Json o = Json::object();
        o["name"] = e.name;
        o["offset"] = e.offset;
        o["size"] = e.size;
        list.push(o);
    }
    j["entries"] = list;
    return j;
}

int list(const std::string& archive) {
    FILE* f = std::fopen(archive.c_str(), "rb");
    if (f == nullptr) return fail("cannot open " + archive);
    uint8_t word[4] = {};
    const bool has_count = std::fread(word, 1, 4, f) == 4;
    std::rewind(f);
    std::vector<ArchiveEntry> entries;
    const bool ok = has_count && read_archive_table(f, entries);
    std::fclose(f);
    if (!ok) return fail(archive + " has no entry table");
    const uint32_t count =
        static_cast<uint32_t>(word[0] | word[1] << 8 | word[2] << 16 | word[3] << 24);
    print_json(entries_json(entries, count));
    // A table shorter than its count is damaged: the entries present are shown all the same.
    return entries.size() == count ? 0 : 1;
}

// The folder's own name, also for "dir/" and "dir/.".
std::string folder_name(const fs::path& dir) {
    fs::path p = fs::absolute(dir).lexically_normal();
    if (!p.has_filename()) p = p.parent_path();
    return p.filename().string();
}

int pack(const std::string& archive, const std::string& dir) {
    std::error_code ec;
    if (!fs::is_directory(dir, ec)) return fail(dir + " is not a folder");
    const std::string prefix = folder_name(dir);
    std::vector<ArchiveFile> files;
    for (auto it = fs::recursive_directory_iterator(dir, ec); !ec && it != fs::end(it);
         it.increment(ec)) {
        if (!it->is_regular_file(ec)) continue;
        ArchiveFile f;
        f.name = prefix + "/" + it->path().lexically_relative(dir).generic_string();
        if (!file_read_all(it->path().string(), UINT32_MAX, f.data))
            return fail("cannot read " + it->path().string());
        files.push_back(std::move(f));
    }
    if (ec) return fail("cannot list " + dir);
    std::sort(files.begin(), files.end(),
              [](const ArchiveFile& a, const ArchiveFile& b) { return a.name < b.name; });
    std::vector<uint8_t> bytes;
    if (!encode_archive(files, bytes))
        return fail("a name is longer than 127 bytes or the archive exceeds 4 GiB");
    if (!write_bytes(archive, bytes)) return fail("cannot write " + archive);
    std::vector<ArchiveEntry> entries;
    uint32_t offset = static_cast<uint32_t>(4 + files.size() * k_archive_entry_bytes);
    for (const ArchiveFile& f : files) {
        entries.push_back({f.name, offset, static_cast<uint32_t>(f.data.size())});
        offset += static_cast<uint32_t>(f.data.size());
    }
    print_json(entries_json(entries, static_cast<uint32_t>(files.size())));
    return 0;
}

} // namespace

int run_res_command(const std::vector<std::string>& args) {
    if (args.size() == 2 && args[0] == "list") return list(args[1]);
    if (args.size() == 3 && args[0] == "pack") return pack(args[1], args[2]);
    return usage("res list ARCHIVE | res pack ARCHIVE DIR");
}

int run_cat_command(const std::vector<std::string>& args) {
    if (args.size() != 1) return usage("cat PATH");
    std::vector<uint8_t> bytes;
    if (!read_asset(args[0], SIZE_MAX, bytes)) return fail(args[0] + " not found");
    std::fwrite(bytes.data(), 1, bytes.size(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}
