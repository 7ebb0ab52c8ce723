// Font pictures made in the tests: glyph cells in a grid, magenta separators, white ink on a
// transparent background.
#pragma once

#include <functional>
#include <vector>

#include "render/image.h"

namespace br_test {

// `ink(cell, x, y)` says whether the pixel at (x, y) inside cell `cell` (numbered left to
// right, band after band) is inked. The top row marks only the column boundaries and the left
// column only the row boundaries; the inner boundary lines are drawn through.
inline br::Image make_font_picture(const std::vector<int>& cell_widths,
                                   const std::vector<int>& band_heights,
                                   const std::function<bool(int, int, int)>& ink) {
  int width = 1, height = 1;
  for (int w : cell_widths) width += w + 1;
  for (int h : band_heights) height += h + 1;
  br::Image picture = br::make_image(width, height, 4);
  auto set = [&](int x, int y, uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
    uint8_t* p = &picture.pixels[(static_cast<size_t>(y) * width + x) * 4];
    p[0] = r, p[1] = g, p[2] = b, p[3] = a;
  };
  std::vector<int> columns{0}, rows{0};
  for (int w : cell_widths) columns.push_back(columns.back() + w + 1);
  for (int h : band_heights) rows.push_back(rows.back() + h + 1);
  for (int x : columns) {
    set(x, 0, 255, 0, 255, 255);
    for (int y = 1; y < height && x != 0; ++y) set(x, y, 255, 0, 255, 255);
  }
  for (int y : rows) {
    set(0, y, 255, 0, 255, 255);
    for (int x = 1; x < width && y != 0; ++x) set(x, y, 255, 0, 255, 255);
  }
  int cell = 0;
  for (size_t r = 0; r + 1 < rows.size(); ++r) {
    for (size_t c = 0; c + 1 < columns.size(); ++c, ++cell) {
      for (int y = rows[r] + 1; y < rows[r + 1]; ++y) {
        for (int x = columns[c] + 1; x < columns[c + 1]; ++x) {
          if (ink(cell, x - columns[c] - 1, y - rows[r] - 1)) set(x, y, 255, 255, 255, 255);
        }
      }
    }
  }
  return picture;
}

}  // namespace br_test
