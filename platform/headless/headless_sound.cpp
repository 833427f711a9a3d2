// The headless sound device: the mixer runs on the virtual clock, and what it mixes is kept
// when the driver asked for a capture.
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "platform/headless/headless_platform.h"

namespace headless {

namespace {

constexpr size_t k_render_frames = 4096;

void put_u16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void put_u32(std::vector<uint8_t>& out, uint32_t v) {
    put_u16(out, v & 0xFFFF);
    put_u16(out, v >> 16);
}

// The 44-byte header of a 44.1 kHz stereo 16-bit PCM wave file with `data_bytes` of samples.
std::vector<uint8_t> wave_header(uint64_t data_bytes) {
    const auto size = static_cast<uint32_t>(std::min<uint64_t>(data_bytes, 0xFFFFFFFFu - 36));
    std::vector<uint8_t> h = {'R', 'I', 'F', 'F'};
    put_u32(h, 36 + size);
    h.insert(h.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    put_u32(h, 16);
    put_u16(h, 1); // PCM
    put_u16(h, 2);
    put_u32(h, k_mixer_rate);
    put_u32(h, k_mixer_rate * 4);
    put_u16(h, 4);
    put_u16(h, 16);
    h.insert(h.end(), {'d', 'a', 't', 'a'});
    put_u32(h, size);
    return h;
}

} // namespace

void mix_to_clock() {
    Machine& m = machine();
    if (!m.mixer) return;
    const uint64_t elapsed_ms = static_cast<uint32_t>(m.clock_ms - m.sound_opened_ms);
    const uint64_t due = elapsed_ms * k_mixer_rate / 1000;
    std::vector<int16_t> block;
    while (m.sound_frames < due) {
        const size_t n =
            static_cast<size_t>(std::min<uint64_t>(due - m.sound_frames, k_render_frames));
        block.resize(2 * n);
        mixer_render(*m.mixer, block.data(), n);
        if (m.capture) m.captured.insert(m.captured.end(), block.begin(), block.end());
        m.sound_frames += n;
    }
}

bool write_capture(const std::string& path) {
    namespace fs = std::filesystem;
    const std::vector<int16_t>& samples = machine().captured;
    const fs::path target(path);
    const fs::path temporary = target.string() + ".part";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        const auto header = wave_header(samples.size() * sizeof(int16_t));
        out.write(reinterpret_cast<const char*>(header.data()), std::streamsize(header.size()));
        out.write(reinterpret_cast<const char*>(samples.data()),
                  std::streamsize(samples.size() * sizeof(int16_t)));
        if (!out) {
            std::error_code ec;
            fs::remove(temporary, ec);
            return false;
        }
    }
    std::error_code ec;
    fs::rename(temporary, target, ec);
    return !ec;
}

} // namespace headless

using headless::machine;

Mixer* sys_sound_open() {
    headless::Machine& m = machine();
    if (!m.knobs.sound) return nullptr;
    if (!m.mixer) {
        m.mixer = mixer_create();
        m.sound_opened_ms = m.clock_ms;
        m.sound_frames = 0;
    }
    return m.mixer.get();
}

void sys_sound_close() {
    headless::mix_to_clock();
    machine().mixer.reset();
}
