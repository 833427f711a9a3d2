// A film through the decoder as the player drives it: opened with a mixer for its sound, then
// frame after frame decoded and copied out into a buffer of the film's size, until the frame
// before the last.
#include <vector>

#include "platform/mixer.h"
#include "platform/video_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static std::unique_ptr<Mixer> mixer = mixer_create();
    VideoDecoderPtr d = video_open_memory(std::span(data, size), mixer.get(), 0);
    if (!d) return 0;
    const int w = video_width(*d), h = video_height(*d);
    std::vector<uint8_t> pixels(size_t(w) * 2 * size_t(h));
    std::vector<int16_t> played(4096 * 2);
    // Bounded, so that a film announcing hours in a few bytes does not take hours.
    for (int turn = 0; turn < 64 && video_current_frame(*d) + 1 != video_frame_count(*d); ++turn) {
        video_wait(*d, uint32_t(turn) * 40);
        if (video_do_frame(*d)) video_copy_to_buffer(*d, pixels.data(), w * 2, h, k_format_rgb565);
        video_next_frame(*d);
        mixer_render(*mixer, played.data(), 4096);
    }
    return 0;
}
