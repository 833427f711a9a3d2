#include "tools/demo/menu_pictures.h"

#include <array>
#include <cmath>
#include <string_view>

#include "app/menu_items.h"
#include "platform/pixel_format.h"
#include "platform/surface.h"
#include "platform/text.h"
#include "resources/bmp.h"
#include "resources/text_table.h"
#include "resources/tiff_picture.h"
#include "tools/demo/noise.h"
#include "tools/demo/painter.h"

namespace {

const V3d k_gold = rgb8(214, 176, 72);
const V3d k_gold_dark = rgb8(120, 88, 34);
const V3d k_plate = rgb8(70, 44, 30);
const V3d k_plate_lit = rgb8(124, 82, 40);
const V3d k_night = rgb8(18, 20, 40);
constexpr uint32_t k_label = 0xE8D49A, k_label_lit = 0xFFFFFF, k_title = 0xE0B850;
constexpr int k_tiff_quality = 92;

// The labels of the items the pages paint, by item number.
struct Button {
    int number;
    int width, height;
    const char* label;
};

constexpr Button k_main_buttons[] = {
    {k_new_game_item, 340, 44, "New game"}, {k_save_item, 232, 40, "Save"},
    {k_options_item, 232, 40, "Options"},   {k_load_item, 232, 40, "Load"},
    {k_credits_item, 232, 40, "Credits"},   {k_exit_item, 170, 40, "Exit"},
};
constexpr Button k_back_button{k_back_item, 170, 40, "Back"};
constexpr Button k_switches[] = {
    {k_subtitles_switch, 140, 30, "Subtitles"},
    {k_fog_switch, 200, 30, "Volumetric fog"},
    {k_hot_air_switch, 200, 30, "Hot air"},
};

const MenuItemPicture& item(int number) {
    for (const MenuItemPicture& i : k_menu_items)
        if (i.number == number) return i;
    return k_menu_items[0];
}

// Text on a picture through the game's own font code: the picture goes into a surface and back.
class Lettering {
public:
    Lettering(const std::string& font_path, int line_height)
        : font_(font_path.empty() ? nullptr : font_open(font_path.c_str(), line_height)) {}
    ~Lettering() { font_close(font_); }
    Lettering(const Lettering&) = delete;
    Lettering& operator=(const Lettering&) = delete;

    int width(std::u16string_view text) const {
        return font_ ? text_measure(font_, text).width : 0;
    }
    // The text centred on (cx, cy).
    void centred(RgbPicture& p, int cx, int cy, uint32_t colour, std::u16string_view text) const {
        if (font_ == nullptr) return;
        const TextSize size = text_measure(font_, text);
        at(p, cx - size.width / 2, cy - size.height / 2, colour, text);
    }
    void at(RgbPicture& p, int x, int y, uint32_t colour, std::u16string_view text) const {
        if (font_ == nullptr) return;
        SurfacePtr s = make_system_surface(p.width, p.height, k_format_xrgb8888);
        for (int py = 0; py < p.height; ++py)
            for (int px = 0; px < p.width; ++px) {
                const uint8_t* c = p.pixel(px, py);
                surface_set_pixel(*s, px, py, pack_rgb(s->format, c[0], c[1], c[2]));
            }
        text_draw(font_, *s, x, y, colour, text);
        for (int py = 0; py < p.height; ++py)
            for (int px = 0; px < p.width; ++px) {
                const Rgb8 c = unpack_rgb(s->format, surface_pixel(*s, px, py));
                uint8_t* out = &p.rgb[(size_t(py) * size_t(p.width) + size_t(px)) * 3];
                out[0] = c.r, out[1] = c.g, out[2] = c.b;
            }
    }

private:
    Font* font_;
};

// A plate with a gold rim, rounded at the corners.
void plate(Canvas& c, double x, double y, double w, double h, const V3d& face, double s) {
    const double r = 8 * s;
    c.line(x + r, y + h / 2, x + w - r, y + h / 2, h, k_gold_dark);
    c.line(x + r, y + h / 2, x + w - r, y + h / 2, h - 4 * s, face);
    for (double edge : {y + 2.5 * s, y + h - 2.5 * s})
        c.line(x + r, edge, x + w - r, edge, 1.4 * s, k_gold);
}

// Night-blue stone with a soft gold glow at the top: the pages' backdrop.
Canvas backdrop() {
    Canvas c(640, 480);
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) {
            const double n = fbm2(x / 40.0, y / 40.0, 4, 901);
            const double glow = std::exp(-std::hypot(x - 320.0, y - 120.0) / 260);
            c.at(x, y) = k_night * (0.8 + 0.4 * n) + k_gold_dark * (0.45 * glow);
        }
    return c;
}

RgbPicture button_picture(const Button& b, bool lit, const Lettering& letters) {
    constexpr int s = 4;
    Canvas c(b.width * s, b.height * s, k_night);
    plate(c, 0, 0, b.width * s, b.height * s, lit ? k_plate_lit : k_plate, s);
    RgbPicture p = c.downsampled(s);
    letters.centred(p, b.width / 2, b.height / 2, lit ? k_label_lit : k_label,
                    utf8_to_utf16(b.label));
    return p;
}

// A switch: a box, ticked when on, and its label.
RgbPicture switch_picture(const Button& b, bool on, const Lettering& letters) {
    constexpr int s = 4;
    Canvas c(b.width * s, b.height * s, k_night);
    plate(c, 0, 0, b.width * s, b.height * s, on ? k_plate_lit : k_plate, s);
    const double bx = 8 * s, by = 7 * s, side = 16 * s;
    c.line(bx, by + side / 2, bx + side, by + side / 2, side, k_gold);
    c.line(bx + 2 * s, by + side / 2, bx + side - 2 * s, by + side / 2, side - 4 * s, k_night);
    if (on) {
        c.line(bx + 3 * s, by + 9 * s, bx + 7 * s, by + 13 * s, 2.5 * s, k_gold);
        c.line(bx + 7 * s, by + 13 * s, bx + 14 * s, by + 3 * s, 2.5 * s, k_gold);
    }
    RgbPicture p = c.downsampled(s);
    letters.at(p, 32, 5, on ? k_label_lit : k_label, utf8_to_utf16(b.label));
    return p;
}

void paste(RgbPicture& into, const RgbPicture& p, int x0, int y0) {
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) {
            const int tx = x0 + x, ty = y0 + y;
            if (tx < 0 || ty < 0 || tx >= into.width || ty >= into.height) continue;
            const uint8_t* c = p.pixel(x, y);
            uint8_t* out = &into.rgb[(size_t(ty) * size_t(into.width) + size_t(tx)) * 3];
            out[0] = c[0], out[1] = c[1], out[2] = c[2];
        }
}

// A picture drawn with colour key 0: nothing that is meant to show may be pure black.
RgbPicture keyed(RgbPicture p) {
    for (size_t i = 0; i < p.rgb.size(); i += 3) {
        if (p.rgb[i] == 0 && p.rgb[i + 1] == 0 && p.rgb[i + 2] == 0) continue;
        for (size_t k = 0; k < 3; ++k)
            if (p.rgb[i + k] == 0) p.rgb[i + k] = 1;
    }
    return p;
}

void add_tiff(DemoOutput& out, const std::string& path, const RgbPicture& p) {
    std::vector<uint8_t> bytes;
    if (encode_tiff(p, TiffCompression::jpeg, k_tiff_quality, bytes))
        out.add(path, std::move(bytes));
}

void add_bmp(DemoOutput& out, const std::string& path, const RgbPicture& p) {
    out.add(path, encode_bmp24(p));
}

void main_page(DemoOutput& out, const Lettering& letters, const Lettering& title) {
    RgbPicture page = backdrop().picture();
    for (const Button& b : k_main_buttons) {
        const MenuItemPicture& i = item(b.number);
        paste(page, button_picture(b, false, letters), i.x, i.y);
        add_bmp(out, i.path, button_picture(b, true, letters));
    }
    title.centred(page, 320, 330, k_title, u"VANTOR");
    letters.centred(page, 320, 400, k_label, u"A demo adventure");
    add_tiff(out, "gfx/menu1e.tif", page);
}

// The options page: the switches off (their pictures show them on), the level indicators' empty
// frames with their labels, and the way back.
void options_page(DemoOutput& out, const Lettering& letters, const Lettering& title) {
    RgbPicture page = backdrop().picture();
    for (const Button& b : k_switches) {
        const MenuItemPicture& i = item(b.number);
        paste(page, switch_picture(b, false, letters), i.x, i.y);
        add_bmp(out, i.path, switch_picture(b, true, letters));
    }
    const MenuItemPicture& back = item(k_back_button.number);
    paste(page, button_picture(k_back_button, false, letters), back.x, back.y);
    add_bmp(out, back.path, button_picture(k_back_button, true, letters));
    struct Level {
        int x, y;
        const char* label;
    };
    const Level levels[] = {{k_volume_levels_x, k_effects_level_y, "Effects"},
                            {k_volume_levels_x, k_speech_level_y, "Speech"},
                            {k_volume_levels_x, k_music_level_y, "Music"},
                            {k_display_levels_x, k_smoothing_level_y, "Smoothing"},
                            {k_display_levels_x, k_shadows_level_y, "Shadows"}};
    for (const Level& l : levels) {
        constexpr int s = 4;
        Canvas frame(k_level_width * s, k_level_height * s, k_night);
        plate(frame, 0, 0, k_level_width * s, k_level_height * s, k_night * 0.6, s);
        paste(page, frame.downsampled(s), l.x, l.y);
        const std::u16string text = utf8_to_utf16(l.label);
        letters.at(page, l.x - 12 - letters.width(text), l.y + 5, k_label, text);
    }
    title.centred(page, 320, 330, k_title, u"Options");
    add_tiff(out, "gfx/menu2e.tif", page);
}

// Level k lights k of five segments.
void level_pictures(DemoOutput& out) {
    constexpr int s = 4;
    for (int k = 1; k <= 5; ++k) {
        Canvas c(k_level_width * s, k_level_height * s);
        for (int seg = 0; seg < 5; ++seg) {
            const double x = (6 + seg * 14.5) * s;
            const V3d colour = seg < k ? k_gold : k_gold_dark * 0.5;
            c.line(x + 2 * s, 14.0 * s, x + 9 * s, 14.0 * s, (8 + seg * 2.5) * s, colour);
        }
        add_bmp(out, item(k_level_first + k - 1).path, keyed(c.downsampled(s)));
    }
}

// An arrow of the save list, up or down; pressed it is lit. The panels show it unpressed.
RgbPicture arrow(int number, bool pressed) {
    constexpr int s = 4, side = 24;
    Canvas c(side * s, side * s);
    c.ellipse(12 * s, 12 * s, 11 * s, 11 * s, k_gold, s);
    c.ellipse(12 * s, 12 * s, 9 * s, 9 * s, pressed ? k_plate_lit * 1.6 : k_plate, s);
    const double dir = number == k_scroll_up ? -1 : 1;
    c.line(12 * s, (12 - 5 * dir) * s, 12 * s, (12 + 5 * dir) * s, 3 * s, k_gold);
    c.line(12 * s, (12 + 5 * dir) * s, 7 * s, 12 * s, 3 * s, k_gold);
    c.line(12 * s, (12 + 5 * dir) * s, 17 * s, 12 * s, 3 * s, k_gold);
    return keyed(c.downsampled(s));
}

void arrows(DemoOutput& out) {
    for (const int number : {k_scroll_up, k_scroll_down})
        add_bmp(out, item(number).path, arrow(number, true));
}

// The panels: a framed board with a title, a place for the preview and the list of saves, and
// for saving the line where the typed name goes.
void panels(DemoOutput& out, const Lettering& letters) {
    constexpr int w = 280, h = 240, s = 2;
    const int left = (640 - w) / 2, top = (480 - h) / 2;
    for (const int number : {k_save_panel, k_load_panel}) {
        Canvas c(w * s, h * s);
        c.fill(0, 0, w * s, h * s, k_plate * 0.8, 0.05, 0.2, 903);
        for (double inset : {3.0, 7.0})
            for (const auto& [x0, y0, x1, y1] :
                 {std::array<double, 4>{inset, inset, w - inset, inset},
                  std::array<double, 4>{w - inset, inset, w - inset, h - inset},
                  std::array<double, 4>{w - inset, h - inset, inset, h - inset},
                  std::array<double, 4>{inset, h - inset, inset, inset}})
                c.line(x0 * s, y0 * s, x1 * s, y1 * s, 1.5 * s, k_gold);
        // The preview's frame and the list's board.
        const double px = k_preview_x - left, py = k_preview_y - top;
        c.fill(int((px - 3) * s), int((py - 3) * s), int((px + 163) * s), int((py + 123) * s),
               k_gold_dark);
        c.fill(int(px * s), int(py * s), int((px + 160) * s), int((py + 120) * s), k_night);
        const double lx = k_save_rows_x - left - 6, ly = k_save_rows_y - top - 4;
        c.fill(int(lx * s), int(ly * s), int((lx + 76) * s), int((ly + 7 * 16 + 8) * s),
               k_night * 0.7);
        if (number == k_save_panel) {
            const double nx = k_typed_name_x - left - 6, ny = k_typed_name_y - top - 2;
            c.fill(int(nx * s), int(ny * s), int((nx + 110) * s), int((ny + 22) * s), k_night);
        }
        RgbPicture p = keyed(c.downsampled(s));
        paste(p, arrow(k_scroll_up, false), k_scroll_up_dx, k_scroll_up_dy);
        paste(p, arrow(k_scroll_down, false), k_scroll_down_dx, k_scroll_down_dy);
        letters.centred(p, w / 2, 24, k_title, number == k_save_panel ? u"Save" : u"Load");
        if (number == k_save_panel) letters.at(p, 24, k_typed_name_y - top, k_label, u"Name:");
        add_bmp(out, item(number).path, keyed(p));
    }
}

} // namespace

void make_menu_pictures(DemoOutput& out, const std::string& font_path) {
    const Lettering letters(font_path, 18), title(font_path, 64);
    main_page(out, letters, title);
    options_page(out, letters, title);
    level_pictures(out);
    arrows(out);
    panels(out, letters);
}
