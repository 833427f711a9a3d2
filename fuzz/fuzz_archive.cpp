// The archive lookup in both forms, and the table listing, over any archive bytes.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>

#include "resources/archive.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const int fd = memfd_create("archive", 0);
    if (fd < 0) return 0;
    if (size > 0 && ::write(fd, data, size) != static_cast<ssize_t>(size)) {
        ::close(fd);
        return 0;
    }
    const char* paths[] = {"data/scr_001.tif", "DATA/ZONES.TXT", "gfx/a.bmp", ""};
    for (const char* path : paths) {
        uint32_t offset = 0, length = 0;
        ::lseek(fd, 0, SEEK_SET);
        if (archive_find_entry(fd, path, offset, length) && uint64_t{offset} + length > size)
            __builtin_trap(); // a found entry always lies inside the archive
        FILE* f = fdopen(dup(fd), "rb");
        if (f == nullptr) continue;
        std::rewind(f);
        archive_find_entry(f, path, offset, length);
        std::rewind(f);
        std::vector<ArchiveEntry> entries;
        read_archive_table(f, entries);
        std::fclose(f);
    }
    ::close(fd);
    return 0;
}
