// The asset layer over a hostile archive: entries whose offsets and sizes point anywhere, names
// in any case, the same name twice. What read_asset and the descriptor open return must be
// exactly the entry's bytes (cut at the loader's limit), or nothing.
#include <unistd.h>

#include <vector>

#include "fuzz/fuzz_support.h"
#include "resources/asset_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const FuzzWorkingDir dir;
    const std::span<const uint8_t> archive(data, size);
    dir.write("data.res", archive);
    // The input's length picks the name and the loader's limit, so each run opens the archive
    // twice only; the mutations' changes of length reach every pair.
    const char* paths[] = {"data/scr_001.txt", "DATA/ZONES.TXT", "data/a.bin"};
    const size_t limits[] = {0, 7, size_t{1} << 20};
    const char* path = paths[size % 3];
    const size_t max_size = limits[size / 3 % 3];
    const auto want = archive_reference(archive, path);
    dir.inside([&] {
        std::vector<uint8_t> out;
        const bool found = read_asset(path, max_size, out);
        if (found != want.has_value()) __builtin_trap();
        if (found && (out.size() != std::min(want->size(), max_size) ||
                      !std::equal(out.begin(), out.end(), want->begin())))
            __builtin_trap();
        const ArchivedDescriptor entry = open_archived_descriptor(path);
        if ((entry.descriptor >= 0) != want.has_value()) __builtin_trap();
        if (entry.descriptor < 0) return;
        const off_t at = ::lseek(entry.descriptor, 0, SEEK_CUR);
        ::close(entry.descriptor);
        if (entry.entry_size != want->size() || at != want->data() - data) __builtin_trap();
    });
    return 0;
}
