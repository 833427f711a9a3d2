// The real SDL backend on a real X server (run_with_xvfb.sh starts one, with or without a window
// manager). The test plays the part of the user and of a window manager through its own X
// connection: it reads back what the window shows, resizes the window, moves the focus away and
// back, and moves and clicks the mouse.
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/surface.h"
#include "platform/system.h"
#include "tests/platform/x_client.h"

namespace {

constexpr const char* k_title = "Vantor window test";

// Every message the backend sent while the test pumped it.
std::vector<Message> g_messages;

// What a frame pass does to the window: take the messages, show a frame, wait for the next pass.
void run_passes(const Surface& frame, uint32_t ms) {
    const GammaRamp gamma = identity_gamma_ramp();
    const uint32_t end = sys_milliseconds() + ms;
    while (static_cast<int32_t>(end - sys_milliseconds()) > 0) {
        while (sys_peek_message()) g_messages.push_back(sys_get_message());
        sys_present(frame, gamma);
        sys_wait_until(sys_milliseconds() + 20);
    }
}

// Grey with a coloured block in each corner, so that a cropped or shifted picture shows.
SurfacePtr test_frame() {
    SurfacePtr s = make_system_surface(640, 480, k_format_xrgb8888);
    surface_fill(*s, nullptr, 0x808080);
    const uint32_t corners[4] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};
    for (int c = 0; c < 4; ++c) {
        const Rect r{c % 2 * 576, c / 2 * 432, c % 2 * 576 + 64, c / 2 * 432 + 48};
        surface_fill(*s, &r, corners[c]);
    }
    return s;
}

// What the window shows, kept for a person to look at as <build>/window-<manager>-<name>.png.
bool grab(uint64_t window, const std::string& name, RgbImage& image) {
    if (!xclient::grab(window, image)) return false;
    const char* wm = std::getenv("VANTOR_TEST_WM");
    write_png(std::string(VANTOR_BINARY_DIR) + "/window-" + (wm && *wm ? wm : "no-wm") + "-" +
                  name + ".png",
              image);
    return true;
}

const uint8_t* at(const RgbImage& img, int x, int y) {
    return &img.rgb[(size_t(y) * img.width + x) * 3];
}

// The whole frame, as large as fits with 4:3 kept, centred, black around it.
testing::AssertionResult letterboxed(const RgbImage& img) {
    int left = img.width, right = -1, top = img.height, bottom = -1;
    for (int y = 0; y < img.height; ++y)
        for (int x = 0; x < img.width; ++x) {
            const uint8_t* p = at(img, x, y);
            if (p[0] > 24 || p[1] > 24 || p[2] > 24) {
                left = std::min(left, x), right = std::max(right, x);
                top = std::min(top, y), bottom = std::max(bottom, y);
            }
        }
    const int w = right - left + 1, h = bottom - top + 1;
    auto fail = [&](const char* what) {
        return testing::AssertionFailure()
               << what << ": picture " << w << "x" << h << " at " << left << "," << top
               << " in a window of " << img.width << "x" << img.height;
    };
    if (right < 0) return fail("nothing drawn");
    if (w != img.width && h != img.height) return fail("fills neither the width nor the height");
    if (std::abs(w * 3 - h * 4) > 4) return fail("not 4:3");
    if (std::abs(left - (img.width - 1 - right)) > 1 ||
        std::abs(top - (img.height - 1 - bottom)) > 1)
        return fail("not centred");
    // The four corner blocks where they belong, grey between them.
    struct Probe {
        double fx, fy;
        uint8_t r, g, b;
    };
    for (const Probe& p :
         {Probe{0.05, 0.05, 255, 0, 0}, Probe{0.95, 0.05, 0, 255, 0}, Probe{0.05, 0.95, 0, 0, 255},
          Probe{0.95, 0.95, 255, 255, 255}, Probe{0.5, 0.5, 128, 128, 128}}) {
        const uint8_t* c = at(img, left + int(p.fx * w), top + int(p.fy * h));
        if (std::abs(c[0] - p.r) > 8 || std::abs(c[1] - p.g) > 8 || std::abs(c[2] - p.b) > 8)
            return fail("corner colours wrong") << " at " << p.fx << "," << p.fy;
    }
    return testing::AssertionSuccess();
}

bool got(MessageKind kind, uint32_t wparam) {
    for (const Message& m : g_messages)
        if (m.kind == kind && m.wparam == wparam) return true;
    return false;
}

class SdlWindow : public testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!xclient::open()) return;
        frame_ = test_frame().release();
        // As the game starts: the window, then the display mode that shows it, then the mouse.
        ASSERT_TRUE(sys_create_window(k_title));
        ASSERT_TRUE(sys_display_set_mode(640, 480, 32));
        ASSERT_TRUE(sys_mouse_create());
    }
    static void TearDownTestSuite() {
        if (!frame_) return;
        sys_mouse_release();
        sys_destroy_window();
        SurfacePtr(frame_).reset();
        xclient::close();
    }
    void SetUp() override {
        if (!frame_) GTEST_SKIP() << "no X server (run through run_with_xvfb.sh)";
        window_ = xclient::find_window(k_title);
        ASSERT_NE(window_, 0u);
    }
    // Bring the game back (a full-screen window is minimised when it loses the focus), give it
    // the focus as a click on it would, and take the mouse.
    void focus_and_acquire() {
        xclient::show(window_);
        xclient::point_at(window_);
        run_passes(*frame_, 200); // a window manager may move the focus as the pointer enters
        xclient::focus(window_);
        run_passes(*frame_, 300);
        ASSERT_TRUE(sys_mouse_acquire());
        MouseState m;
        ASSERT_EQ(sys_mouse_read(m), MouseRead::ok);
    }
    static Surface* frame_;
    uint64_t window_ = 0;
};

Surface* SdlWindow::frame_ = nullptr;

// Kept first: these tests share one window, and this one watches its first moments.
TEST_F(SdlWindow, ComesUpActiveAndFillsTheWindowWhateverSizeItGot) {
    g_messages.clear();
    // Long enough for a window manager to carry out the full-screen request, and for the backend
    // to stop waiting for it where there is none.
    run_passes(*frame_, 1800);
    EXPECT_FALSE(got(MessageKind::size, SIZE_RESTORED))
        << "the first focus must not start the resume pause";
    EXPECT_FALSE(got(MessageKind::activate, 0));
    RgbImage image;
    ASSERT_TRUE(grab(window_, "start", image));
    EXPECT_TRUE(letterboxed(image));
}

TEST_F(SdlWindow, FollowsAResize) {
    // A window manager that made the window full-screen refuses other sizes: the player would
    // first switch to a window.
    RgbImage image;
    int screen_w = 0, screen_h = 0;
    ASSERT_TRUE(grab(window_, "before-resize", image));
    ASSERT_TRUE(xclient::screen_size(screen_w, screen_h));
    if (image.width == screen_w && image.height == screen_h) {
        focus_and_acquire();
        xclient::press_alt_enter();
        run_passes(*frame_, 600);
    }
    struct Size {
        int w, h;
        const char* name;
    };
    for (const Size s : {Size{900, 500, "wide"}, Size{500, 700, "tall"}}) {
        SCOPED_TRACE(s.name);
        xclient::resize(window_, s.w, s.h);
        run_passes(*frame_, 600);
        ASSERT_TRUE(grab(window_, s.name, image));
        EXPECT_EQ(image.width, s.w);
        EXPECT_EQ(image.height, s.h);
        EXPECT_TRUE(letterboxed(image));
    }
}

TEST_F(SdlWindow, MouseMotionIsInFramePixels) {
    // 1280 pixels wide: each frame pixel is two window pixels.
    xclient::resize(window_, 1280, 960);
    run_passes(*frame_, 600);
    focus_and_acquire();
    for (int i = 0; i < 10; ++i) {
        xclient::move_pointer_by(15, -9);
        run_passes(*frame_, 20);
    }
    run_passes(*frame_, 100);
    MouseState m;
    ASSERT_EQ(sys_mouse_read(m), MouseRead::ok);
    EXPECT_EQ(m.dx, 75);
    EXPECT_EQ(m.dy, -45);
}

TEST_F(SdlWindow, AButtonLetGoWhileTheWindowIsAwayIsUp) {
    focus_and_acquire();
    xclient::button(1, true);
    run_passes(*frame_, 200);
    MouseState m;
    ASSERT_EQ(sys_mouse_read(m), MouseRead::ok);
    ASSERT_EQ(m.buttons[0], 0x80);

    // Another window takes the focus, and the button goes up over it.
    const uint64_t other = xclient::create_window();
    run_passes(*frame_, 200);
    g_messages.clear();
    xclient::focus(other);
    xclient::move_pointer_to(100, 100);
    run_passes(*frame_, 300);
    EXPECT_TRUE(got(MessageKind::activate, 0));
    xclient::button(1, false);
    run_passes(*frame_, 200);

    // Back to the game: it resumes after its pause, with the button up.
    focus_and_acquire();
    EXPECT_TRUE(got(MessageKind::size, SIZE_RESTORED));
    ASSERT_EQ(sys_mouse_read(m), MouseRead::ok);
    EXPECT_EQ(m.buttons[0], 0);
    xclient::destroy_window(other);
    EXPECT_EQ(xclient::errors(), 0);
}

} // namespace
