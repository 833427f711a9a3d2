#include "tests/platform/x_client.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <cstring>

namespace xclient {
namespace {

Display* g_display = nullptr;
int g_errors = 0;

// A request the server refuses fails the test that made it, not the whole program.
int count_error(Display*, XErrorEvent*) {
    ++g_errors;
    return 0;
}

bool has_title(Window w, const char* title) {
    char* name = nullptr;
    const bool match = XFetchName(g_display, w, &name) && name && std::strcmp(name, title) == 0;
    if (name) XFree(name);
    return match;
}

Window find_below(Window parent, const char* title) {
    Window root = 0, up = 0, *children = nullptr;
    unsigned count = 0;
    Window found = 0;
    if (!XQueryTree(g_display, parent, &root, &up, &children, &count)) return 0;
    for (unsigned i = 0; i < count && !found; ++i)
        found = has_title(children[i], title) ? children[i] : find_below(children[i], title);
    if (children) XFree(children);
    return found;
}

} // namespace

bool open() {
    if (!g_display) g_display = XOpenDisplay(nullptr);
    if (g_display) XSetErrorHandler(count_error);
    return g_display != nullptr;
}

void close() {
    if (g_display) XCloseDisplay(g_display);
    g_display = nullptr;
}

void sync() {
    XSync(g_display, False);
}

int errors() {
    sync();
    return g_errors;
}

bool screen_size(int& width, int& height) {
    if (!g_display) return false;
    width = DisplayWidth(g_display, DefaultScreen(g_display));
    height = DisplayHeight(g_display, DefaultScreen(g_display));
    return true;
}

void press_alt_enter() {
    const KeyCode alt = XKeysymToKeycode(g_display, XK_Alt_L);
    const KeyCode enter = XKeysymToKeycode(g_display, XK_Return);
    XTestFakeKeyEvent(g_display, alt, True, CurrentTime);
    XTestFakeKeyEvent(g_display, enter, True, CurrentTime);
    XTestFakeKeyEvent(g_display, enter, False, CurrentTime);
    XTestFakeKeyEvent(g_display, alt, False, CurrentTime);
    sync();
}

uint64_t find_window(const char* title) {
    sync();
    return find_below(DefaultRootWindow(g_display), title);
}

bool grab(uint64_t window, RgbImage& out) {
    XWindowAttributes a;
    if (!XGetWindowAttributes(g_display, window, &a)) return false;
    XImage* image = XGetImage(g_display, window, 0, 0, a.width, a.height, AllPlanes, ZPixmap);
    if (!image) return false;
    out = {a.width, a.height, std::vector<uint8_t>(size_t(a.width) * a.height * 3)};
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x) {
            const unsigned long v = XGetPixel(image, x, y);
            uint8_t* o = &out.rgb[(size_t(y) * a.width + x) * 3];
            o[0] = uint8_t(v >> 16), o[1] = uint8_t(v >> 8), o[2] = uint8_t(v);
        }
    XDestroyImage(image);
    return true;
}

void resize(uint64_t window, int width, int height) {
    XResizeWindow(g_display, window, width, height);
    sync();
}

void show(uint64_t window) {
    XMapRaised(g_display, window);
    sync();
}

void focus(uint64_t window) {
    XSetInputFocus(g_display, window, RevertToParent, CurrentTime);
    sync();
}

uint64_t create_window() {
    // Not handed to the window manager, which might wait for the user to place it.
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    const Window w =
        XCreateWindow(g_display, DefaultRootWindow(g_display), 0, 0, 200, 200, 0, CopyFromParent,
                      InputOutput, CopyFromParent, CWOverrideRedirect, &attributes);
    XMapRaised(g_display, w);
    sync();
    return w;
}

void destroy_window(uint64_t window) {
    XDestroyWindow(g_display, window);
    sync();
}

void move_pointer_by(int dx, int dy) {
    XTestFakeRelativeMotionEvent(g_display, dx, dy, CurrentTime);
    sync();
}

void point_at(uint64_t window) {
    XWindowAttributes a;
    if (XGetWindowAttributes(g_display, window, &a))
        XWarpPointer(g_display, 0, window, 0, 0, 0, 0, a.width / 2, a.height / 2);
    sync();
}

void move_pointer_to(int x, int y) {
    XTestFakeMotionEvent(g_display, -1, x, y, CurrentTime);
    sync();
}

void button(int number, bool down) {
    XTestFakeButtonEvent(g_display, number, down ? True : False, CurrentTime);
    sync();
}

} // namespace xclient
