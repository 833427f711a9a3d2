// Text on surfaces with the game's TrueType font.
//
// The font is opened at the size whose line height is 18 pixels; strings are UTF-16, drawn with
// a colour on a transparent background onto a surface of any RGB format.
#pragma once

#include <string_view>

#include "platform/surface.h"

struct Font;

// nullptr when the file cannot be used.
Font* font_open(const char* path, int line_height);
void font_close(Font* font);

struct TextSize {
    int width = 0, height = 0;
};

TextSize text_measure(Font* font, std::u16string_view text);

// Draw with the top-left corner of the text's cell at (x, y), clipped to the surface.
// colour is 0x00RRGGBB. Fails with surface_lost or surface_busy like any other access.
Result text_draw(Font* font, Surface& target, int x, int y, uint32_t colour,
                 std::u16string_view text);
