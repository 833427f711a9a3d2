// Mouse and keyboard. The mouse is read as relative motion once per pass and the game keeps its
// own cursor; keys and typed characters arrive as window messages.
#pragma once

#include <cstdint>

struct Game;

struct InputState {
    int32_t mouse_x = 0, mouse_y = 0; // kept within 2..637 and 2..477
    uint8_t mouse_buttons[4] = {};    // bit 7 set = down; 0 left, 1 right
    int skip_requested = 0;           // Space (or Escape during a video): skip the video
    bool mouse_device = false;
};

// Windows virtual-key codes of the keys the game handles.
enum VirtualKey : uint32_t {
    VK_BACK = 8,
    VK_RETURN = 13,
    VK_ESCAPE = 27,
    VK_SPACE = 32,
    VK_F5 = 116,
    VK_F6 = 117,
    VK_F7 = 118,
    VK_F9 = 120,
    VK_F11 = 122,
    VK_F12 = 123,
};

inline constexpr int k_mouse_min_x = 2, k_mouse_max_x = 637;
inline constexpr int k_mouse_min_y = 2, k_mouse_max_y = 477;

// 0 on success, else the failure code.
int create_mouse(Game& game);
// 1 when there is no mouse device; else acquires it when the application is active.
int acquire_mouse(Game& game);
// Read this pass's motion and buttons. False: the pass must be abandoned (nothing drawn).
bool read_mouse(Game& game);

// Gamma ramp with the given slope: entry i = min(i * slope, 65535) on all three channels.
void set_gamma(Game& game, int slope);

void handle_key(Game& game, uint32_t virtual_key);
void handle_character(Game& game, uint32_t code);

// The codes the character handler considers: digits, letters, code page 1251 letters,
// backspace, enter and blank.
bool is_accepted_character(uint32_t code);
