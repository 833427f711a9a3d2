// A film decoded with libavformat and libavcodec: pictures one at a time into a pixel buffer of
// a display format, and the film's sound into the mixer's video stream.
//
// The container and the codecs are found from the file's content, never from its name, so the
// game's ".bik" names may hold any film FFmpeg reads.
//
// Time is the game's millisecond clock: the caller hands in the clock at open and at every
// wait test, so a film on the headless machine's virtual clock plays exactly the same on every
// run. Frame n (counted from 0) is due n / rate seconds after the open. The sound is pushed into
// the mixer a little ahead of what plays, aligned by its time stamps to the pictures, so that
// what is heard keeps to what is shown as long as the mixer plays at its rate.
//
// Calls go in the order a player makes them: wait until it is time, decode the frame, copy it
// out, step to the next. A file that is damaged, truncated or holds no usable picture stream
// either fails to open or ends where its data ends; nothing reads outside a buffer.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string_view>

#include "platform/pixel_format.h"

struct Mixer;

struct VideoDecoder;
struct VideoDecoderClose {
    void operator()(VideoDecoder* decoder) const;
};
using VideoDecoderPtr = std::unique_ptr<VideoDecoder, VideoDecoderClose>;

// Pictures larger than this in either direction, or of more pixels in all, are refused.
inline constexpr int k_video_max_side = 4096;
inline constexpr int64_t k_video_max_pixels = int64_t{3840} * 2160;
// Frame rates outside this range are refused (frames a second).
inline constexpr double k_video_min_rate = 1.0;
inline constexpr double k_video_max_rate = 240.0;

// A loose file by game path. With a mixer the film's sound (if it has any) goes to its video
// stream, which is cleared first; without one the sound is not decoded. Null when the file
// cannot be opened or holds no picture stream of an accepted size and rate.
VideoDecoderPtr video_open(std::string_view path, Mixer* mixer, uint32_t now_ms);
// The same over bytes in memory, which must outlive the decoder.
VideoDecoderPtr video_open_memory(std::span<const uint8_t> bytes, Mixer* mixer, uint32_t now_ms);

int video_width(const VideoDecoder& d);
int video_height(const VideoDecoder& d);
// The frames the file announces. When the data ends earlier, the count becomes the number of
// the frame that could not be decoded plus one, so that a player waiting for the frame before
// the last stops there. 0 while the file announces none and its end has not been reached.
uint32_t video_frame_count(const VideoDecoder& d);
// The frame the next decode gives, counted from 0.
uint32_t video_current_frame(const VideoDecoder& d);
double video_frame_rate(const VideoDecoder& d); // frames a second

// True while it is not yet time for the current frame at the clock `now_ms`.
bool video_wait(const VideoDecoder& d, uint32_t now_ms);
// Decode the current frame and keep the sound fed. False when the data ended instead (the frame
// count then says so); the last picture decoded stays.
bool video_do_frame(VideoDecoder& d);
// The last decoded picture into `rows` rows of a buffer with `pitch` bytes per row, in a
// 32-bit 0x00RRGGBB, 16-bit 5-6-5 or 15-bit 5-5-5 format, at the film's width (rows beyond the
// film's height are left alone). False for another format, a pitch too small for a row, or
// when no picture has been decoded yet.
bool video_copy_to_buffer(VideoDecoder& d, uint8_t* bits, int pitch, int rows,
                          const PixelFormat& format);
// Step to the next frame; never past the frame before the last (the count minus 1).
void video_next_frame(VideoDecoder& d);
