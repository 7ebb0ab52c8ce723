#include "render/text_layout.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace br {
namespace {

constexpr char kEscape = 27;
constexpr float kNormalIntensity = 0.75f;
// Larger numbers mean nothing to any sequence; capping keeps the sum from overflowing.
constexpr int kParameterCap = 100000;

bool is_blank_space(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

struct ColourState {
  TextColour caller{};
  TextColour current{};
  bool bright = false;
  int flags = 0;

  void apply(int parameter) {
    bool shadow = (flags & kTextShadowPass) != 0;
    if (parameter == 0) {
      current = caller;
    } else if (parameter == 1) {
      bright = true;
    } else if (parameter == 22) {
      bright = false;
    } else if (parameter >= 30 && parameter <= 37 && !shadow) {
      select(parameter - 30);
    } else if (parameter >= 40 && parameter <= 47 && shadow) {
      select(parameter - 40);
    }
  }
  void select(int colour) {
    std::array<float, 3> rgb = text_palette(colour + (bright ? 8 : 0));
    current = {rgb[0], rgb[1], rgb[2], caller[3]};
  }
};

// Reads the sequence that starts at text[i] (the escape character) and applies it. Returns
// the index just past it. A sequence broken off by a character that cannot belong to it ends
// before that character, which is then laid out as usual.
size_t read_escape(std::string_view text, size_t i, ColourState& colours) {
  ++i;
  if (i >= text.size() || text[i] != '[') return i;
  ++i;
  int parameters[kMaxEscapeParameters] = {};
  int count = 1;
  for (; i < text.size(); ++i) {
    char c = text[i];
    if (c >= '0' && c <= '9') {
      int& p = parameters[count - 1];
      p = std::min(p * 10 + (c - '0'), kParameterCap);
    } else if (c == ';') {
      if (count < kMaxEscapeParameters) {
        ++count;
      } else {
        parameters[count - 1] = -1;  // one too many: the rest is ignored
      }
    } else if (std::isalpha(static_cast<unsigned char>(c))) {
      if (c == 'm') {
        for (int k = 0; k < count; ++k) {
          if (parameters[k] >= 0) colours.apply(parameters[k]);
        }
      }
      return i + 1;
    } else {
      return i;
    }
  }
  return i;
}

}  // namespace

std::array<float, 3> text_palette(int index) {
  index &= 15;
  float level = index >= 8 ? 1.0f : kNormalIntensity;
  int colour = index & 7;
  return {(colour & 1) ? level : 0.0f, (colour & 2) ? level : 0.0f, (colour & 4) ? level : 0.0f};
}

TextLayout layout_text(const Font& font, std::string_view text, const TextColour& colour,
                       int flags) {
  TextLayout layout;
  size_t i = 0;
  while (i < text.size() && is_blank_space(text[i])) ++i;
  if (i >= text.size()) return layout;

  ColourState colours;
  colours.caller = colour;
  colours.current = colour;
  colours.flags = flags;
  const float tab = kTabStopSpaces * font.glyph(' ').advance;
  float x = 0;
  int line = 0;
  layout.lines = 1;
  while (i < text.size()) {
    char c = text[i];
    if (c == kEscape) {
      i = read_escape(text, i, colours);
      continue;
    }
    ++i;
    if (c == '\r') {
      x = 0;
    } else if (c == '\n') {
      x = 0;
      ++line;
      layout.lines = line + 1;
    } else if (c == '\t') {
      if (tab > 0) x = (std::floor(x / tab + 1e-4f) + 1) * tab;
    } else {
      const Glyph& g = font.glyph(static_cast<unsigned char>(c));
      if (g.present && c != ' ') {
        layout.quads.push_back({x, static_cast<float>(line), g.advance,
                                static_cast<unsigned char>(c), colours.current});
      }
      x += g.advance;
    }
    layout.width = std::max(layout.width, x);
  }
  return layout;
}

float text_width(const Font& font, std::string_view text) {
  return layout_text(font, text, TextColour{1, 1, 1, 1}).width;
}

}  // namespace br
