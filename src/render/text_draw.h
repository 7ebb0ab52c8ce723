// Drawing text with OpenGL, in the game only. Text is drawn at the current transformation,
// one unit per line height: the first line fills y 0 to 1 and later lines go down by one.
#pragma once

#include <string_view>

#include "render/font.h"
#include "render/text_layout.h"

namespace br {

// Blended textured quads in the caller's colour, changed by any colour sequences in the text.
void text_draw(const Font& font, float red, float green, float blue, float alpha,
               std::string_view text, int flags = 0);
// The same in the main font.
void text_draw(float red, float green, float blue, float alpha, std::string_view text,
               int flags = 0);

// Draws the text centred between the x positions `left` and `right` (line heights) with a
// drop shadow: black at half the alpha, 1/16 of a line right and down, in the shadow pass.
void text_draw_centred(const Font& font, float red, float green, float blue, float alpha,
                       float left, float right, std::string_view text);
void text_draw_centred(float red, float green, float blue, float alpha, float left, float right,
                       std::string_view text);

}  // namespace br
