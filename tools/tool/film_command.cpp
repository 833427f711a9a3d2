// film: what the game's film decoder reads from a film, and a frame of it as the game shows it.
#include "app/display_device.h"
#include "platform/video_decoder.h"
#include "tools/common/png_image.h"
#include "tools/tool/commands.h"
#include "tools/tool/resource_output.h"

namespace {

constexpr const char* k_usage = "film PATH [--frame N --png OUT [--bpp 32|16|15]]";

} // namespace

int run_film_command(const std::vector<std::string>& input) {
    std::vector<std::string> args = input;
    bool ok = true;
    const std::optional<int> bpp = take_bpp(args, ok);
    const auto frame_text = take_option(args, "--frame", ok);
    const auto png = take_option(args, "--png", ok);
    int frame = 0;
    if (!ok || !bpp || args.size() != 1 || frame_text.has_value() != png.has_value() ||
        (frame_text && (!parse_int(*frame_text, frame) || frame < 0)))
        return usage(k_usage);
    const std::string path = args[0];
    VideoDecoderPtr d = video_open(path, nullptr, 0);
    if (!d) return fail(path + " is missing or holds no picture stream the game can play");

    // Decoded up to the frame asked for; the whole film when none was.
    int decoded = 0;
    const int last = frame_text ? frame : INT32_MAX;
    while (decoded <= last && video_current_frame(*d) + 1 != video_frame_count(*d) &&
           video_do_frame(*d)) {
        ++decoded;
        if (decoded <= last) video_next_frame(*d);
    }
    if (png) {
        if (decoded <= frame) return fail(path + " has no frame " + *frame_text);
        DisplayDevice dev;
        make_tool_display(dev, *bpp);
        SurfacePtr s;
        display_create_surface(dev.display, {video_width(*d), video_height(*d), {}, Memory::system},
                               s);
        LockedRect lock;
        if (!s || surface_lock(*s, lock) != Result::ok ||
            !video_copy_to_buffer(*d, lock.bits, lock.pitch, s->height, s->format))
            return fail("cannot convert the frame");
        surface_unlock(*s);
        if (!write_png(*png, surface_to_rgb(*s))) return fail("cannot write " + *png);
    }
    Json j = Json::object();
    j["width"] = video_width(*d);
    j["height"] = video_height(*d);
    j["frame_rate"] = video_frame_rate(*d);
    j["frame_count"] = int64_t(video_frame_count(*d));
    j["frames_decoded"] = decoded;
    print_json(j);
    return 0;
}
