#include "image.h"

#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace kit {

Rgba mix(Rgba a, Rgba b, float t) {
  auto m = [t](uint8_t x, uint8_t y) {
    return static_cast<uint8_t>(std::lround(x + (y - x) * std::clamp(t, 0.0f, 1.0f)));
  };
  return {m(a.r, b.r), m(a.g, b.g), m(a.b, b.b), m(a.a, b.a)};
}

Rgba shade(Rgba c, float f) {
  auto s = [f](uint8_t x) { return static_cast<uint8_t>(std::clamp(x * f, 0.0f, 255.0f)); };
  return {s(c.r), s(c.g), s(c.b), c.a};
}

void blend(Image& img, int x, int y, Rgba c, float coverage) {
  if (!img.inside(x, y) || coverage <= 0.0f) return;
  Rgba& d = img.at(x, y);
  float sa = std::min(coverage, 1.0f) * c.a / 255.0f;
  float da = d.a / 255.0f;
  float oa = sa + da * (1.0f - sa);
  if (oa <= 0.0f) return;
  auto ch = [&](uint8_t s, uint8_t dd) {
    return static_cast<uint8_t>(std::lround((s * sa + dd * da * (1.0f - sa)) / oa));
  };
  d = {ch(c.r, d.r), ch(c.g, d.g), ch(c.b, d.b), static_cast<uint8_t>(std::lround(oa * 255))};
}

void fill_rect(Image& img, int x0, int y0, int x1, int y1, Rgba c) {
  for (int y = std::max(0, y0); y < std::min(img.height, y1); ++y) {
    for (int x = std::max(0, x0); x < std::min(img.width, x1); ++x) img.at(x, y) = c;
  }
}

void fill_circle(Image& img, float cx, float cy, float radius, Rgba c) {
  int x0 = static_cast<int>(std::floor(cx - radius - 1)), x1 = static_cast<int>(cx + radius + 2);
  int y0 = static_cast<int>(std::floor(cy - radius - 1)), y1 = static_cast<int>(cy + radius + 2);
  for (int y = y0; y < y1; ++y) {
    for (int x = x0; x < x1; ++x) {
      float d = std::hypot(x + 0.5f - cx, y + 0.5f - cy);
      blend(img, x, y, c, std::clamp(radius - d + 0.5f, 0.0f, 1.0f));
    }
  }
}

void draw_line(Image& img, float ax, float ay, float bx, float by, float width, Rgba c) {
  float half = width * 0.5f;
  int x0 = static_cast<int>(std::floor(std::min(ax, bx) - half - 1));
  int x1 = static_cast<int>(std::max(ax, bx) + half + 2);
  int y0 = static_cast<int>(std::floor(std::min(ay, by) - half - 1));
  int y1 = static_cast<int>(std::max(ay, by) + half + 2);
  float dx = bx - ax, dy = by - ay;
  float len2 = dx * dx + dy * dy;
  for (int y = y0; y < y1; ++y) {
    for (int x = x0; x < x1; ++x) {
      float px = x + 0.5f - ax, py = y + 0.5f - ay;
      float t = len2 > 0 ? std::clamp((px * dx + py * dy) / len2, 0.0f, 1.0f) : 0.0f;
      float d = std::hypot(px - t * dx, py - t * dy);
      blend(img, x, y, c, std::clamp(half - d + 0.5f, 0.0f, 1.0f));
    }
  }
}

void fill_polygon(Image& img, const std::vector<std::pair<float, float>>& pts, Rgba c) {
  // Scanline even-odd fill with four vertical subsamples per pixel for soft edges.
  if (pts.size() < 3) return;
  float ymin = pts[0].second, ymax = ymin;
  for (auto& p : pts) ymin = std::min(ymin, p.second), ymax = std::max(ymax, p.second);
  std::vector<float> cover(static_cast<size_t>(img.width));
  for (int y = std::max(0, static_cast<int>(ymin)); y <= std::min(img.height - 1, int(ymax)); ++y) {
    std::fill(cover.begin(), cover.end(), 0.0f);
    for (int sub = 0; sub < 4; ++sub) {
      float sy = y + (sub + 0.5f) / 4.0f;
      std::vector<float> xs;
      for (size_t i = 0; i < pts.size(); ++i) {
        auto [x0, y0] = pts[i];
        auto [x1, y1] = pts[(i + 1) % pts.size()];
        if ((y0 <= sy) != (y1 <= sy)) xs.push_back(x0 + (sy - y0) / (y1 - y0) * (x1 - x0));
      }
      std::sort(xs.begin(), xs.end());
      for (size_t i = 0; i + 1 < xs.size(); i += 2) {
        for (int x = std::max(0, int(xs[i])); x <= std::min(img.width - 1, int(xs[i + 1])); ++x) {
          float l = std::max(xs[i], float(x)), r = std::min(xs[i + 1], float(x + 1));
          if (r > l) cover[size_t(x)] += (r - l) / 4.0f;
        }
      }
    }
    for (int x = 0; x < img.width; ++x) blend(img, x, y, c, cover[size_t(x)]);
  }
}

namespace {

void png_append(png_structp png, png_bytep data, png_size_t size) {
  auto* out = static_cast<std::string*>(png_get_io_ptr(png));
  out->append(reinterpret_cast<const char*>(data), size);
}

void png_no_flush(png_structp) {}

}  // namespace

std::string encode_png(const Image& img, bool alpha, const std::string& text) {
  std::string out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::fprintf(stderr, "datakit: PNG encoding failed\n");
    return {};
  }
  png_set_write_fn(png, &out, png_append, png_no_flush);
  png_set_compression_level(png, 9);
  int channels = alpha ? 4 : 3;
  png_set_IHDR(png, info, static_cast<png_uint_32>(img.width), static_cast<png_uint_32>(img.height),
               8, alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  std::string key = "Comment";
  std::string value = text;
  png_text chunk{};
  if (!text.empty()) {
    chunk.compression = PNG_TEXT_COMPRESSION_NONE;
    chunk.key = key.data();
    chunk.text = value.data();
    chunk.text_length = value.size();
    png_set_text(png, info, &chunk, 1);
  }
  png_write_info(png, info);
  std::vector<png_byte> row(size_t(img.width) * channels);
  for (int y = 0; y < img.height; ++y) {
    for (int x = 0; x < img.width; ++x) {
      const Rgba& p = img.at(x, y);
      png_byte* d = &row[size_t(x) * channels];
      d[0] = p.r, d[1] = p.g, d[2] = p.b;
      if (alpha) d[3] = p.a;
    }
    png_write_row(png, row.data());
  }
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return out;
}

std::string encode_ppm(const Image& img) {
  std::vector<uint8_t> rgb;
  rgb.reserve(img.pixels.size() * 3);
  for (const Rgba& p : img.pixels) rgb.insert(rgb.end(), {p.r, p.g, p.b});
  return encode_ppm_rgb(rgb, img.width, img.height);
}

std::string encode_ppm_rgb(const std::vector<uint8_t>& rgb, int width, int height) {
  std::string out = "P6\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
  out.append(reinterpret_cast<const char*>(rgb.data()), rgb.size());
  return out;
}

std::string encode_pgm(const std::vector<uint8_t>& grey, int width, int height) {
  std::string out = "P5\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
  out.append(reinterpret_cast<const char*>(grey.data()), grey.size());
  return out;
}

}  // namespace kit
