// A second client of the X server beside the game's window, doing what a user or a window
// manager does to it. Kept apart from the game's headers: Xlib's names (Display, None, Bool)
// collide with them. Windows are X window ids; 0 is none.
#pragma once

#include <cstdint>

#include "tools/common/png_image.h"

namespace xclient {

bool open();
void close();
uint64_t find_window(const char* title);   // also inside a window manager's frame
bool grab(uint64_t window, RgbImage& out); // what the window shows, at its real size
void resize(uint64_t window, int width, int height);
void show(uint64_t window); // mapped and raised, as a click on its icon does
void focus(uint64_t window);
uint64_t create_window(); // a small window of this client's, mapped
void destroy_window(uint64_t window);
void move_pointer_by(int dx, int dy);
void move_pointer_to(int x, int y);
void point_at(uint64_t window); // the pointer to the window's centre
void button(int number, bool down);
void press_alt_enter();
bool screen_size(int& width, int& height);
void sync();
int errors(); // requests the server refused so far

} // namespace xclient
