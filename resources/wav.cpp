#include "resources/wav.h"

#include <algorithm>

#include "resources/byte_io.h"

bool read_wav(std::span<const uint8_t> file, WavInfo& info, std::span<const uint8_t>& samples) {
    if (file.size() < k_wav_header_bytes || file[0] != 'R' || file[1] != 'I' || file[2] != 'F' ||
        file[3] != 'F')
        return false;
    const uint16_t bits = get_u16le(file.data() + 34);
    if (bits != 8 && bits != 16) return false;
    info.channels = get_u16le(file.data() + 22);
    info.sample_rate = get_u32le(file.data() + 24);
    info.bits = bits;
    info.data_size = get_u32le(file.data() + 40);
    samples = file.subspan(k_wav_header_bytes,
                           std::min<size_t>(info.data_size, file.size() - k_wav_header_bytes));
    return true;
}

std::vector<uint8_t> encode_wav(const WavInfo& info, std::span<const uint8_t> samples) {
    std::vector<uint8_t> out = {'R', 'I', 'F', 'F'};
    const uint32_t block = static_cast<uint32_t>(info.bits / 8) * info.channels;
    put_u32le(out, static_cast<uint32_t>(36 + samples.size()));
    out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    put_u32le(out, 16);
    put_u16le(out, 1); // PCM
    put_u16le(out, info.channels);
    put_u32le(out, info.sample_rate);
    put_u32le(out, info.sample_rate * block);
    put_u16le(out, block);
    put_u16le(out, info.bits);
    out.insert(out.end(), {'d', 'a', 't', 'a'});
    put_u32le(out, static_cast<uint32_t>(samples.size()));
    out.insert(out.end(), samples.begin(), samples.end());
    return out;
}
