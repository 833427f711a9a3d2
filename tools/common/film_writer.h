// Films encoded with libavcodec into MP4 files (their bytes handed back): the demo's films and the
// test films of the decoder's tests and fuzz seeds.
//
// The output depends only on the pictures, the sound and the options: one encoding thread, the
// codecs' and the muxer's bit-exact modes (no version strings, no time stamps of the run), so two
// runs give the same bytes.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "resources/rgb_picture.h"

enum class FilmCodec {
    h264,  // libx264, where libavcodec has it; else MPEG-4 part 2
    mpeg4, // libavcodec's own MPEG-4 part 2 encoder
};

struct FilmOptions {
    int width = 640, height = 480;
    int rate = 25; // frames a second
    int frames = 0;
    FilmCodec codec = FilmCodec::h264;
    int quality = 26;            // H.264 constant rate factor; MPEG-4 uses it as its quantiser / 2
    int sound_bitrate = 96000;   // AAC, bits a second; used when there is sound
    int keyframe_interval = 250; // frames between key frames, at most
};

// Draws frame `n` (0..frames-1) into a picture of the film's size, whose buffer is kept
// between calls.
using FilmPainter = std::function<void(int n, RgbPicture& picture)>;

// `sound`: interleaved stereo 16-bit at 44.1 kHz, starting with the first picture; empty for a
// silent film. False, with `error` set, when an encoder or the muxer fails.
bool write_film(const FilmOptions& options, const FilmPainter& paint,
                std::span<const int16_t> sound, std::vector<uint8_t>& out, std::string& error);

// Sound only, in the same container: a file with no picture stream (for the decoder's tests).
bool write_sound_only_film(std::span<const int16_t> sound, std::vector<uint8_t>& out,
                           std::string& error);

// The name of the video encoder write_film uses for `codec` on this machine.
std::string film_encoder_name(FilmCodec codec);
