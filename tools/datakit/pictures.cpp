#include "pictures.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>

#include "image.h"
#include "kit.h"

namespace kit {

namespace {

// One FreeType face at one pixel size, released on scope exit.
class Face {
 public:
  Face(const std::string& file, int pixel_height) {
    if (FT_Init_FreeType(&library_) != 0) return;
    if (FT_New_Face(library_, file.c_str(), 0, &face_) != 0) {
      std::fprintf(stderr, "datakit: can't open font %s\n", file.c_str());
      face_ = nullptr;
      return;
    }
    FT_Set_Pixel_Sizes(face_, 0, static_cast<FT_UInt>(pixel_height));
  }
  ~Face() {
    if (face_) FT_Done_Face(face_);
    if (library_) FT_Done_FreeType(library_);
  }
  Face(const Face&) = delete;
  Face& operator=(const Face&) = delete;
  FT_Face get() const { return face_; }
  float ascender() const { return face_ ? face_->size->metrics.ascender / 64.0f : 0; }
  float descender() const { return face_ ? -face_->size->metrics.descender / 64.0f : 0; }

 private:
  FT_Library library_ = nullptr;
  FT_Face face_ = nullptr;
};

float draw_char(Image& img, FT_Face face, float x, float baseline, char ch, Rgba colour) {
  if (FT_Load_Char(face, static_cast<unsigned char>(ch), FT_LOAD_RENDER) != 0) return 0;
  FT_GlyphSlot g = face->glyph;
  int left = static_cast<int>(std::lround(x)) + g->bitmap_left;
  int top = static_cast<int>(std::lround(baseline)) - g->bitmap_top;
  for (unsigned r = 0; r < g->bitmap.rows; ++r) {
    for (unsigned c = 0; c < g->bitmap.width; ++c) {
      float cover = g->bitmap.buffer[r * static_cast<unsigned>(g->bitmap.pitch) + c] / 255.0f;
      blend(img, left + int(c), top + int(r), colour, cover);
    }
  }
  return g->advance.x / 64.0f;
}

constexpr Rgba kSeparator{255, 0, 255, 255};

// A font picture: one band of glyph cells whose boundaries are marked in the top row and the
// left column with the colour of the top-left pixel; glyphs white on transparent.
Image font_picture(const std::string& face_file, const std::string& chars, int height, int width) {
  Image img(width, height, {0, 0, 0, 0});
  const int interior = height - 2;
  Face face(face_file, static_cast<int>(interior / 1.2f));
  if (!face.get()) return img;
  float baseline = 1 + (interior - face.ascender() - face.descender()) / 2 + face.ascender();
  img.at(0, 0) = kSeparator;
  img.at(0, height - 1) = kSeparator;
  int x = 0;
  for (char ch : chars) {
    FT_Load_Char(face.get(), static_cast<unsigned char>(ch), FT_LOAD_DEFAULT);
    int advance = static_cast<int>(std::ceil(face.get()->glyph->advance.x / 64.0f));
    int cell = advance + 2;  // a pixel of room either side for overhanging strokes
    if (x + cell + 1 >= width) {
      std::fprintf(stderr, "datakit: font picture too narrow\n");
      break;
    }
    draw_char(img, face.get(), x + 2, baseline, ch, {255, 255, 255, 255});
    x += cell + 1;
    img.at(x, 0) = kSeparator;
  }
  // Glyph ink never reaches the marker row; keep it clean anyway.
  for (int c = 0; c < width; ++c) {
    if (img.at(c, 0).r != 255 || img.at(c, 0).b != 255) img.at(c, 0) = {0, 0, 0, 0};
  }
  return img;
}

Image tach_picture() {
  Image img(256, 256, {0, 0, 0, 0});
  fill_circle(img, 128, 128, 124, {200, 200, 205, 255});
  fill_circle(img, 128, 128, 118, {18, 18, 22, 240});
  const std::string face = dejavu("DejaVuSans-Bold.ttf");
  // 0 to 14 thousand rpm over 270 degrees, starting at the lower left.
  for (int i = 0; i <= 28; ++i) {
    float a = (135.0f + 270.0f * i / 28.0f) * kPi / 180.0f;
    bool major = i % 2 == 0;
    Rgba c = i >= 22 ? Rgba{230, 40, 30, 255} : Rgba{240, 240, 240, 255};
    float r0 = major ? 92 : 100;
    draw_line(img, 128 + std::cos(a) * r0, 128 + std::sin(a) * r0, 128 + std::cos(a) * 112,
              128 + std::sin(a) * 112, major ? 4.0f : 2.0f, c);
    if (major) {
      std::string label = std::to_string(i / 2);
      float w = text_width(face, 18, label);
      draw_text(img, face, 18, 128 + std::cos(a) * 74 - w / 2, 128 + std::sin(a) * 74 + 7, label,
                c);
    }
  }
  std::string unit = "x1000 rpm";
  draw_text(img, face, 14, 128 - text_width(face, 14, unit) / 2, 190, unit, {180, 180, 180, 255});
  fill_circle(img, 128, 128, 10, {90, 90, 95, 255});
  return img;
}

Image shifter_picture() {
  Image img(256, 64, {0, 0, 0, 0});
  const std::string face = dejavu("DejaVuSans-Bold.ttf");
  const std::string gears = "N123456";
  for (int i = 0; i < 7; ++i) {
    int x0 = 2 + i * 36;
    fill_rect(img, x0, 8, x0 + 34, 56, {20, 20, 24, 220});
    fill_rect(img, x0 + 2, 10, x0 + 32, 54, {45, 45, 52, 230});
    std::string g(1, gears[size_t(i)]);
    Rgba c = i == 0 ? Rgba{80, 230, 80, 255} : Rgba{245, 245, 245, 255};
    draw_text(img, face, 34, x0 + 17 - text_width(face, 34, g) / 2, 45, g, c);
  }
  return img;
}

Image pitboard_picture() {
  Image img(256, 256, {0, 0, 0, 0});
  // The overlay shows rows 0.1875 to 0.875 of the picture: the board itself.
  fill_rect(img, 8, 48, 248, 224, {235, 200, 40, 255});
  fill_rect(img, 14, 54, 242, 218, {24, 26, 30, 245});
  for (int y = 58; y < 214; y += 4)
    draw_line(img, 18, float(y), 238, float(y), 1.0f, {34, 36, 42, 120});
  fill_rect(img, 120, 224, 136, 256, {120, 120, 125, 255});
  return img;
}

Image roost_picture() {
  Image img(64, 64, {0, 0, 0, 0});
  Rng rng(77);
  for (int i = 0; i < 18; ++i) {
    float a = rng.range(0, 2 * kPi), r = rng.range(0, 18);
    uint8_t v = static_cast<uint8_t>(rng.range(190, 255));
    fill_circle(img, 32 + std::cos(a) * r, 32 + std::sin(a) * r, rng.range(3, 8), {v, v, v, 235});
  }
  return img;
}

Image title_picture() {
  Image img(1024, 512);
  for (int y = 0; y < 512; ++y) {
    Rgba c = mix({30, 40, 90, 255}, {250, 150, 60, 255}, std::pow(y / 511.0f, 1.3f));
    for (int x = 0; x < 1024; ++x) img.at(x, y) = c;
  }
  fill_circle(img, 800, 330, 70, {255, 220, 120, 255});
  std::vector<std::pair<float, float>> hills{{0, 512}};
  for (int x = 0; x <= 1024; x += 16) {
    hills.emplace_back(float(x), 360 + 40 * fractal_noise(x / 180.0f, 1.5f, 3, 3));
  }
  hills.emplace_back(1024, 512);
  fill_polygon(img, hills, {40, 50, 45, 255});
  // The berm the rider launches from, and the rider in the air above it.
  fill_polygon(img, {{0, 512}, {0, 440}, {260, 430}, {420, 470}, {520, 512}}, {95, 62, 38, 255});
  fill_polygon(img, {{560, 512}, {700, 455}, {900, 450}, {1024, 470}, {1024, 512}},
               {85, 56, 34, 255});
  draw_flying_rider(img, {560, 345, 1, mix({30, 40, 90, 255}, {250, 150, 60, 255}, 0.6f),
                          mix({30, 40, 90, 255}, {250, 150, 60, 255}, 0.57f)});
  const std::string face = dejavu("DejaVuSans-Bold.ttf");
  const std::string name = "BERMRIDER";
  float w = text_width(face, 120, name);
  draw_text(img, face, 120, 512 - w / 2 + 6, 166, name, {0, 0, 0, 160});
  draw_text(img, face, 120, 512 - w / 2, 160, name, {250, 245, 235, 255});
  const std::string tag = "MOTOCROSS";
  float tw = text_width(face, 36, tag);
  draw_text(img, face, 36, 512 - tw / 2, 210, tag, {240, 190, 60, 255});
  return img;
}

}  // namespace

void draw_flying_rider(Image& img, const RiderPlacement& at) {
  const Rgba ink{15, 15, 20, 255};
  const float s = at.scale;
  auto x = [&](float dx) { return at.x + dx * s; };
  auto y = [&](float dy) { return at.y + dy * s; };
  fill_circle(img, x(-70), y(40), 34 * s, ink);
  fill_circle(img, x(-70), y(40), 22 * s, {0, 0, 0, 0});
  fill_circle(img, x(-70), y(40), 22 * s, at.rear_wheel_hole);
  fill_circle(img, x(80), y(20), 36 * s, ink);
  fill_circle(img, x(80), y(20), 24 * s, at.front_wheel_hole);
  fill_polygon(img, {{x(-70), y(40)}, {x(-20), y(-20)}, {x(60), y(-30)}, {x(80), y(20)}, {x(20), y(30)}},
               ink);
  draw_line(img, x(-70), y(40), x(-35), y(-35), 7 * s, ink);
  fill_polygon(img, {{x(-10), y(-30)}, {x(30), y(-90)}, {x(60), y(-80)}, {x(30), y(-30)}}, ink);
  fill_circle(img, x(18), y(-102), 20 * s, ink);
  draw_line(img, x(35), y(-80), x(-30), y(-45), 9 * s, ink);
}

std::string dejavu(const std::string& file) {
  return "/usr/share/fonts/truetype/dejavu/" + file;
}

bool fonts_available() {
  bool ok = true;
  for (const char* face : {"DejaVuSans-Bold.ttf", "DejaVuSansCondensed-Bold.ttf"}) {
    if (!std::filesystem::is_regular_file(dejavu(face))) {
      std::fprintf(stderr, "datakit: %s is missing (package fonts-dejavu-core)\n",
                   dejavu(face).c_str());
      ok = false;
    }
  }
  return ok;
}

void draw_text(Image& img, const std::string& face_file, int pixel_height, float x, float baseline,
               const std::string& text, Rgba colour) {
  Face face(face_file, pixel_height);
  if (!face.get()) return;
  for (char ch : text) x += draw_char(img, face.get(), x, baseline, ch, colour);
}

float text_width(const std::string& face_file, int pixel_height, const std::string& text) {
  Face face(face_file, pixel_height);
  if (!face.get()) return 0;
  float w = 0;
  for (char ch : text) {
    if (FT_Load_Char(face.get(), static_cast<unsigned char>(ch), FT_LOAD_DEFAULT) == 0) {
      w += face.get()->glyph->advance.x / 64.0f;
    }
  }
  return w;
}

bool write_pictures(const std::string& root) {
  bool ok = true;
  ok &= write_file(root, "tach.png", encode_png(tach_picture(), true));
  ok &= write_file(root, "shifter.png", encode_png(shifter_picture(), true));
  ok &= write_file(root, "pitboard.png", encode_png(pitboard_picture(), true));
  ok &= write_file(root, "title.png", encode_png(title_picture(), false));
  ok &= write_file(root, "roost.png", encode_png(roost_picture(), true));
  return ok;
}

bool write_fonts(const std::string& root) {
  std::string printable;
  for (int c = 33; c <= 126; ++c) printable.push_back(static_cast<char>(c));
  bool ok = true;
  ok &= write_file(
      root, "font.png",
      encode_png(font_picture(dejavu("DejaVuSans-Bold.ttf"), printable, 64, 4096), true));
  ok &= write_file(
      root, "numbers.png",
      encode_png(font_picture(dejavu("DejaVuSans-Bold.ttf"), "0123456789", 64, 512), true));
  ok &= write_file(
      root, "numbers-condensed.png",
      encode_png(font_picture(dejavu("DejaVuSansCondensed-Bold.ttf"), "0123456789", 64, 512),
                 true));
  return ok;
}

}  // namespace kit
