// Breaking the subtitle and caption texts into lines as wide as the interface font draws them.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

struct WrappedLine {
    std::u16string text; // the line's words, each with the blank that followed it
    int width = 0;       // as measured, trailing blank included
};

// Width in pixels of a run of text in the font the lines will be drawn with.
using MeasureText = std::function<int(std::u16string_view)>;

// The text ends at its first CR (13) or NUL, or where the view ends. A line takes words (runs
// between blanks, extra blanks dropped) while it is narrower than `limit`; the word that carries
// it past the limit goes back to the next line, unless it is the line's only word, so a word too
// wide for any line stands on a line of its own. Lines are returned top first.
std::vector<WrappedLine> wrap_words(std::u16string_view text, int limit,
                                    const MeasureText& measure);
