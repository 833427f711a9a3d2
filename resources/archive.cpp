#include "resources/archive.h"

#include <algorithm>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

#include "resources/byte_io.h"

namespace {

char ascii_lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

uint64_t file_size_of(int descriptor) {
    struct stat st;
    if (fstat(descriptor, &st) != 0 || st.st_size < 0) return 0;
    return static_cast<uint64_t>(st.st_size);
}

// The size of a stream's file; the stream is left where it was.
uint64_t file_size_of(FILE* f) {
    const long here = std::ftell(f);
    if (here < 0 || std::fseek(f, 0, SEEK_END) != 0) return 0;
    const long end = std::ftell(f);
    std::fseek(f, here, SEEK_SET);
    return end < 0 ? 0 : static_cast<uint64_t>(end);
}

// The entry's data must lie inside the archive: a damaged table never sends a loader past the
// end of the file.
bool entry_inside(uint32_t offset, uint32_t size, uint64_t archive_size) {
    return static_cast<uint64_t>(offset) + size <= archive_size;
}

bool check_entry(const uint8_t* record, std::string_view path, uint64_t archive_size,
                 uint32_t& offset, uint32_t& size, bool& matched) {
    matched = archive_name_matches(record, path);
    if (!matched) return false;
    const uint32_t o = get_u32le(record + k_archive_name_bytes);
    const uint32_t s = get_u32le(record + k_archive_name_bytes + 4);
    if (!entry_inside(o, s, archive_size)) return false;
    offset = o;
    size = s;
    return true;
}

// Reads whole records from a descriptor in blocks, so that a table of a thousand entries costs a
// few system calls rather than a thousand.
class DescriptorRecords {
public:
    explicit DescriptorRecords(int fd) : fd_(fd) {}

    // Fill `out` with the next n bytes; false at the end of the file.
    bool next(uint8_t* out, size_t n) {
        while (end_ - pos_ < n) {
            std::memmove(buf_, buf_ + pos_, end_ - pos_);
            end_ -= pos_;
            pos_ = 0;
            const ssize_t got = ::read(fd_, buf_ + end_, sizeof buf_ - end_);
            if (got <= 0) return false;
            end_ += static_cast<size_t>(got);
        }
        std::memcpy(out, buf_ + pos_, n);
        pos_ += n;
        return true;
    }

private:
    int fd_;
    uint8_t buf_[k_archive_entry_bytes * 60];
    size_t pos_ = 0, end_ = 0;
};

template <typename NextRecord>
bool scan_table(NextRecord&& next, std::string_view path, uint64_t archive_size, uint32_t& offset,
                uint32_t& size) {
    uint8_t word[4];
    if (!next(word, 4)) return false;
    const uint32_t count = get_u32le(word);
    uint8_t record[k_archive_entry_bytes];
    for (uint32_t i = 0; i < count; ++i) {
        if (!next(record, sizeof record)) return false;
        bool matched = false;
        const bool found = check_entry(record, path, archive_size, offset, size, matched);
        if (matched) return found; // the first entry of that name decides
    }
    return false;
}

} // namespace

std::string archive_name_for(std::string_view path) {
    // The name is built in a 512-byte buffer: at most 511 characters of the path take part.
    const std::string_view kept = path.substr(0, 511);
    const size_t slash = kept.find('/');
    if (slash == std::string_view::npos) return {};
    return std::string(kept.substr(0, slash)) + ".res";
}

bool archive_name_matches(const uint8_t* field, std::string_view path) {
    const void* nul = std::memchr(field, 0, k_archive_name_bytes);
    if (nul == nullptr) return false;
    const size_t length = static_cast<size_t>(static_cast<const uint8_t*>(nul) - field);
    if (length != path.size()) return false;
    for (size_t i = 0; i < length; ++i)
        if (ascii_lower(static_cast<char>(field[i])) != ascii_lower(path[i])) return false;
    return true;
}

bool archive_find_entry(FILE* archive, std::string_view path, uint32_t& offset, uint32_t& size) {
    const uint64_t archive_size = file_size_of(archive);
    auto next = [archive](uint8_t* out, size_t n) { return std::fread(out, 1, n, archive) == n; };
    return scan_table(next, path, archive_size, offset, size);
}

bool archive_find_entry(int descriptor, std::string_view path, uint32_t& offset, uint32_t& size) {
    const uint64_t archive_size = file_size_of(descriptor);
    DescriptorRecords records(descriptor);
    auto next = [&records](uint8_t* out, size_t n) { return records.next(out, n); };
    return scan_table(next, path, archive_size, offset, size);
}

bool read_archive_table(FILE* archive, std::vector<ArchiveEntry>& entries) {
    entries.clear();
    uint8_t word[4];
    if (std::fread(word, 1, 4, archive) != 4) return false;
    const uint32_t count = get_u32le(word);
    uint8_t record[k_archive_entry_bytes];
    for (uint32_t i = 0; i < count; ++i) {
        if (std::fread(record, 1, sizeof record, archive) != sizeof record) break;
        const size_t length = strnlen(reinterpret_cast<const char*>(record), k_archive_name_bytes);
        entries.push_back({std::string(reinterpret_cast<const char*>(record), length),
                           get_u32le(record + k_archive_name_bytes),
                           get_u32le(record + k_archive_name_bytes + 4)});
    }
    return true;
}

bool encode_archive(std::span<const ArchiveFile> files, std::vector<uint8_t>& out) {
    uint64_t position = 4 + static_cast<uint64_t>(files.size()) * k_archive_entry_bytes;
    std::vector<uint8_t> bytes;
    put_u32le(bytes, static_cast<uint32_t>(files.size()));
    for (const ArchiveFile& f : files) {
        if (f.name.size() >= k_archive_name_bytes || f.name.find('\0') != std::string::npos)
            return false;
        if (position + f.data.size() > UINT32_MAX) return false;
        const size_t at = bytes.size();
        bytes.resize(at + k_archive_name_bytes, 0);
        std::memcpy(bytes.data() + at, f.name.data(), f.name.size());
        put_u32le(bytes, static_cast<uint32_t>(position));
        put_u32le(bytes, static_cast<uint32_t>(f.data.size()));
        position += f.data.size();
    }
    for (const ArchiveFile& f : files) bytes.insert(bytes.end(), f.data.begin(), f.data.end());
    out = std::move(bytes);
    return true;
}
