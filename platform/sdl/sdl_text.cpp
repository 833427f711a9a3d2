// Text through SDL_ttf, rendered into our own surfaces. Both backends use it: it needs no window
// or video device, only the font engine.
#include <SDL.h>
#include <SDL_ttf.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/text.h"

struct Font {
    TTF_Font* ttf = nullptr;
};

namespace {

bool ensure_ttf() {
    static bool ready = TTF_Init() == 0;
    return ready;
}

// SDL_ttf wants a terminated string of 16-bit units.
std::vector<Uint16> terminated(std::u16string_view text) {
    std::vector<Uint16> s(text.begin(), text.end());
    s.push_back(0);
    return s;
}

} // namespace

Font* font_open(const char* path, int line_height) {
    if (!ensure_ttf()) return nullptr;
    // The largest point size whose cell (ascent + descent) still fits the line height.
    TTF_Font* best = nullptr;
    for (int size = 6; size <= 64; ++size) {
        TTF_Font* f = TTF_OpenFont(path, size);
        if (!f) break;
        if (TTF_FontHeight(f) > line_height) {
            TTF_CloseFont(f);
            break;
        }
        if (best) TTF_CloseFont(best);
        best = f;
    }
    if (!best) return nullptr;
    return new Font{best};
}

void font_close(Font* font) {
    if (!font) return;
    TTF_CloseFont(font->ttf);
    delete font;
}

TextSize text_measure(Font* font, std::u16string_view text) {
    TextSize size;
    if (!font || text.empty()) return size;
    TTF_SizeUNICODE(font->ttf, terminated(text).data(), &size.width, &size.height);
    return size;
}

Result text_draw(Font* font, Surface& target, int x, int y, uint32_t colour,
                 std::u16string_view text) {
    if (target.lost) return Result::surface_lost;
    if (target.lock_count > 0) return Result::surface_busy;
    if (!font || text.empty()) return Result::ok;
    SDL_Color white{255, 255, 255, 255};
    SDL_Surface* glyphs = TTF_RenderUNICODE_Blended(font->ttf, terminated(text).data(), white);
    if (!glyphs) return Result::failed;
    SDL_Surface* argb = SDL_ConvertSurfaceFormat(glyphs, SDL_PIXELFORMAT_ARGB8888, 0);
    SDL_FreeSurface(glyphs);
    if (!argb) return Result::failed;

    const int cr = (colour >> 16) & 0xFF, cg = (colour >> 8) & 0xFF, cb = colour & 0xFF;
    const int bpp = bytes_per_pixel(target.format);
    const int x0 = std::max(0, x), x1 = std::min(target.width, x + argb->w);
    const int y0 = std::max(0, y), y1 = std::min(target.height, y + argb->h);
    for (int ty = y0; ty < y1; ++ty) {
        const auto* src = static_cast<const uint32_t*>(argb->pixels) +
                          static_cast<size_t>(ty - y) * (argb->pitch / 4);
        uint8_t* dst = target.row(ty);
        for (int tx = x0; tx < x1; ++tx) {
            const uint32_t a = src[tx - x] >> 24;
            if (a == 0) continue;
            uint32_t word = 0;
            std::memcpy(&word, dst + tx * bpp, bpp);
            Rgb8 under = unpack_rgb(target.format, word);
            auto mix = [a](int fg, int bg) {
                return static_cast<uint32_t>((fg * a + bg * (255 - a)) / 255);
            };
            word = pack_rgb(target.format, mix(cr, under.r), mix(cg, under.g), mix(cb, under.b));
            std::memcpy(dst + tx * bpp, &word, bpp);
        }
    }
    SDL_FreeSurface(argb);
    return Result::ok;
}
