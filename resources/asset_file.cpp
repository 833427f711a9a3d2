#include "resources/asset_file.h"

#include <algorithm>
#include <fcntl.h>
#include <unistd.h>

#include "platform/files.h"
#include "resources/archive.h"

namespace {

// The archive file for a path, found as loose files are (its name may differ in letter case).
std::string archive_file_for(std::string_view path) {
    const std::string name = archive_name_for(path);
    return name.empty() ? name : find_file(name);
}

} // namespace

AssetStream open_archived_stream(std::string_view path) {
    AssetStream asset;
    const std::string archive_name = archive_file_for(path);
    if (archive_name.empty()) return asset;
    FILE* archive = file_open(archive_name, "rb");
    if (archive == nullptr) return asset;
    uint32_t offset = 0, size = 0;
    if (!archive_find_entry(archive, path, offset, size) ||
        std::fseek(archive, static_cast<long>(offset), SEEK_SET) != 0) {
        std::fclose(archive);
        return asset;
    }
    asset.file = archive;
    asset.read_size = size;
    asset.entry_offset = offset;
    asset.entry_size = size;
    asset.from_archive = true;
    return asset;
}

AssetStream open_asset_stream(std::string_view path, const char* mode, uint64_t loose_max) {
    AssetStream asset;
    asset.file = file_open(path, mode);
    if (asset.file != nullptr) {
        asset.read_size = loose_max;
        return asset;
    }
    return open_archived_stream(path);
}

void close_asset(AssetStream& asset) {
    if (asset.file != nullptr) std::fclose(asset.file);
    asset = AssetStream{};
}

bool read_asset(std::string_view path, size_t max_size, std::vector<uint8_t>& out) {
    AssetStream asset = open_asset_stream(path, "rb", max_size);
    if (!asset) return false;
    size_t want = static_cast<size_t>(std::min<uint64_t>(asset.read_size, max_size));
    if (!asset.from_archive) {
        // Size the buffer by the file rather than by the loader's maximum.
        const long here = std::ftell(asset.file);
        if (std::fseek(asset.file, 0, SEEK_END) == 0) {
            const long end = std::ftell(asset.file);
            if (end >= here && here >= 0) want = std::min<size_t>(want, end - here);
            std::fseek(asset.file, here, SEEK_SET);
        }
    }
    out.resize(want);
    const size_t got = want ? std::fread(out.data(), 1, want, asset.file) : 0;
    out.resize(got);
    close_asset(asset);
    return true;
}

ArchivedDescriptor open_archived_descriptor(std::string_view path) {
    ArchivedDescriptor result;
    const std::string archive_name = archive_file_for(path);
    if (archive_name.empty()) return result;
    const int fd = ::open(archive_name.c_str(), O_RDONLY);
    if (fd < 0) return result;
    uint32_t offset = 0, size = 0;
    if (!archive_find_entry(fd, path, offset, size) ||
        ::lseek(fd, static_cast<off_t>(offset), SEEK_SET) < 0) {
        ::close(fd);
        return result;
    }
    result.descriptor = fd;
    result.entry_offset = offset;
    result.entry_size = size;
    return result;
}
