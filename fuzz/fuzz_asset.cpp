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
    dir.inside([&] {
        for (const char* path : {"data/scr_001.txt", "DATA/ZONES.TXT", "data/a.bin"}) {
            const auto want = archive_reference(archive, path);
            for (size_t max_size : {size_t{0}, size_t{7}, size_t{1} << 20}) {
                std::vector<uint8_t> out;
                const bool found = read_asset(path, max_size, out);
                if (found != want.has_value()) __builtin_trap();
                if (found && !std::equal(out.begin(), out.end(), want->begin(),
                                         want->begin() + std::min(want->size(), max_size)))
                    __builtin_trap();
                if (found && out.size() != std::min(want->size(), max_size)) __builtin_trap();
            }
            const ArchivedDescriptor entry = open_archived_descriptor(path);
            if ((entry.descriptor >= 0) != want.has_value()) __builtin_trap();
            if (entry.descriptor < 0) continue;
            if (entry.entry_size != want->size() ||
                static_cast<size_t>(::lseek(entry.descriptor, 0, SEEK_CUR)) !=
                    static_cast<size_t>(want->data() - data))
                __builtin_trap();
            ::close(entry.descriptor);
        }
    });
    return 0;
}
