// Pictures in memory (8-bit RGBA, rows top to bottom), simple drawing, and the PNG, PPM and
// PGM encoders the data kit writes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kit {

struct Rgba {
  uint8_t r = 0, g = 0, b = 0, a = 255;
};

struct Image {
  int width = 0, height = 0;
  std::vector<Rgba> pixels;

  Image() = default;
  Image(int w, int h, Rgba fill = {}) : width(w), height(h), pixels(size_t(w) * h, fill) {}
  Rgba& at(int x, int y) { return pixels[size_t(y) * width + x]; }
  const Rgba& at(int x, int y) const { return pixels[size_t(y) * width + x]; }
  bool inside(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
};

Rgba mix(Rgba a, Rgba b, float t);
Rgba shade(Rgba c, float factor);  // scales the colour, keeps alpha

// "Over" compositing of a colour with coverage 0..1.
void blend(Image& img, int x, int y, Rgba c, float coverage);
void fill_rect(Image& img, int x0, int y0, int x1, int y1, Rgba c);  // x1, y1 exclusive
void fill_circle(Image& img, float cx, float cy, float radius, Rgba c);
void draw_line(Image& img, float x0, float y0, float x1, float y1, float width, Rgba c);
void fill_polygon(Image& img, const std::vector<std::pair<float, float>>& points, Rgba c);

// Encoders. `alpha` keeps the fourth channel; `text` goes into a text chunk when not empty.
std::string encode_png(const Image& img, bool alpha, const std::string& text = "");
std::string encode_ppm(const Image& img);
std::string encode_pgm(const std::vector<uint8_t>& grey, int width, int height);
std::string encode_ppm_rgb(const std::vector<uint8_t>& rgb, int width, int height);

}  // namespace kit
