#pragma once

// Tessaloop's type: a 5 x 7 face (capitals and digits 7 rows tall, descenders
// in an eighth row) for every character from 33 to 127, and a 3 x 5 capital
// face for the small captions of the bars. Both are drawn pixel by pixel here;
// no outside font is used.

#include <string_view>

#include "tools/artgen/Image.h"

namespace tessaloop::art {

// Ink of character code c (33-127) at column x (0-4) and row y (0-7).
bool GlyphInk(int c, int x, int y);
// Ink of a caption character (A-Z, 0-9, '/', '-', '.', ' ') at column x (0-2), row y (0-4).
bool CaptionInk(char c, int x, int y);

// Width in pixels of a text set in the 5 x 7 face with the given spacing
// between letters (no trailing space).
int TextWidth(std::string_view text, int spacing = 1);
int CaptionWidth(std::string_view text);

// Draws text with its top-left at (x, y); scale draws every font pixel as a
// scale x scale block and bold thickens every stroke by one font pixel to the
// right. Returns the x after the last letter.
int DrawText(Image& image, int x, int y, std::string_view text, Rgb ink, int spacing = 1,
             int scale = 1, bool bold = false);
int DrawCaption(Image& image, int x, int y, std::string_view text, Rgb ink);

}  // namespace tessaloop::art
