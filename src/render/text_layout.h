// Text laid out in a font, without drawing: where each glyph goes and in which colour. Text
// may carry ANSI colour sequences (ESC "[" parameters "m"), as the log keeps them.
#pragma once

#include <array>
#include <string_view>
#include <vector>

#include "render/font.h"

namespace br {

using TextColour = std::array<float, 4>;  // red, green, blue, alpha, 0..1

enum TextFlags {
  // The drop-shadow pass: colour sequences 40 to 47 apply, 30 to 37 do not.
  kTextShadowPass = 1,
};

constexpr int kTabStopSpaces = 8;
constexpr int kMaxEscapeParameters = 64;

// Palette entry 8 x bright + colour: black, red, green, yellow, blue, magenta, cyan, white at
// 0.75 intensity, then the same at full intensity (entry 8 is black again).
std::array<float, 3> text_palette(int index);

struct TextQuad {
  float x = 0;      // line heights from the line start
  float line = 0;   // lines below the first
  float width = 0;  // the glyph's advance
  unsigned char code = 0;
  TextColour colour{};
};

struct TextLayout {
  std::vector<TextQuad> quads;  // one per glyph drawn
  float width = 0;              // the widest line, in line heights
  int lines = 0;                // 0 when nothing is laid out
};

// Leading white space is skipped. A blank advances by its own advance, a carriage return goes
// back to the line start, a line feed to the start of the next line down, a tab to the next
// multiple of 8 blank widths; characters without a glyph only advance.
TextLayout layout_text(const Font& font, std::string_view text, const TextColour& colour,
                       int flags = 0);

// The width of the widest line, sequences skipped.
float text_width(const Font& font, std::string_view text);

}  // namespace br
