// Bike and wheel textures: the maker's colours over the regions the part models use.
#include <cmath>

#include "bike_style.h"

namespace kit {

namespace {

bool starts_with(const std::string& s, const char* p) {
  return s.rfind(p, 0) == 0;
}

void fill_region(Image& img, UvRect r, Rgba c) {
  fill_rect(img, int(r.u0 * img.width) - 2, int(r.v0 * img.height) - 2, int(r.u1 * img.width) + 3,
            int(r.v1 * img.height) + 3, c);
}

struct PixelRect {
  int x0, y0, x1, y1;
};
PixelRect pixels(const Image& img, UvRect r) {
  return {int(r.u0 * img.width), int(r.v0 * img.height), int(r.u1 * img.width),
          int(r.v1 * img.height)};
}

}  // namespace

BikeStyle bike_style(const std::string& stem) {
  BikeStyle s;
  s.stem = stem;
  s.two_stroke = stem == "cr250" || stem == "kx250" || stem == "rm250" || stem == "yz250" ||
                 stem == "250sx" || stem.find("125") != std::string::npos;
  s.small = stem.find("125") != std::string::npos;
  // Model years of one maker share colours but not graphics.
  unsigned sum = 0;
  for (char c : stem) sum = sum * 31u + static_cast<unsigned char>(c);
  s.graphics = static_cast<int>(sum % 3u);
  if (starts_with(stem, "cr")) {
    s.maker = 0, s.plastic = {205, 22, 30, 255}, s.frame = {200, 200, 205, 255};
    s.accent = {250, 250, 250, 255};
  } else if (starts_with(stem, "kx")) {
    s.maker = 1, s.plastic = {100, 195, 40, 255}, s.frame = {40, 40, 45, 255};
    s.accent = {20, 20, 25, 255};
    s.number_tags = "[numberbackground:1,1,1][numberforeground:0.1,0.45,0.05]";
  } else if (starts_with(stem, "rm")) {
    s.maker = 2, s.plastic = {250, 212, 0, 255}, s.frame = {40, 70, 170, 255};
    s.accent = {30, 60, 170, 255};
    s.number_tags = "[numberbackground:1,0.83,0][numberforeground:0,0,0]";
  } else if (starts_with(stem, "yz")) {
    s.maker = 3, s.plastic = {25, 65, 190, 255}, s.frame = {70, 80, 100, 255};
    s.accent = {250, 250, 250, 255};
    s.number_tags = "[numberbackground:0.1,0.25,0.75][numberforeground:1,1,1]";
  } else {
    s.maker = 4, s.plastic = {245, 118, 0, 255}, s.frame = {240, 110, 0, 255};
    s.accent = {30, 30, 30, 255};
  }
  return s;
}

Image bike_texture(const BikeStyle& s, int variant) {
  using namespace atlas;
  Image img(256, 256, {40, 40, 40, 255});
  Rgba plastic = s.plastic, accent = s.accent, plate = {245, 245, 245, 255};
  if (variant == 1) plastic = {245, 245, 245, 255}, accent = s.plastic;  // white with colour
  if (variant == 2) plastic = {30, 30, 34, 255}, accent = s.plastic;     // black with colour
  if (variant == 0 && !s.number_tags.empty()) plate = plastic;
  fill_region(img, kPlastic, plastic);
  fill_region(img, kGraphics, plastic);
  fill_region(img, kFrame, s.frame);
  fill_region(img, kMetal, {120, 122, 128, 255});
  fill_region(img, kSeat, {22, 22, 24, 255});
  fill_region(img, kPlate, plate);
  fill_region(img, kFork,
              s.maker == 3 || s.maker == 1 ? Rgba{200, 160, 60, 255} : Rgba{210, 210, 215, 255});
  fill_region(img, kDark, {28, 28, 30, 255});
  fill_region(img, kSilver, {190, 192, 198, 255});
  // Stripes and a sweep across the shroud graphics, and a pinstripe on the plastics.
  PixelRect g = pixels(img, kGraphics);
  for (int y = g.y0; y < g.y1; ++y) {
    for (int x = g.x0; x < g.x1; ++x) {
      float u = float(x - g.x0) / (g.x1 - g.x0), v = float(y - g.y0) / (g.y1 - g.y0);
      bool stripe = false, pin = false;
      if (s.graphics == 0) {  // a sweep rising toward the front
        stripe = std::fabs(v - (0.75f - 0.5f * u)) < 0.09f;
        pin = std::fabs(v - (0.95f - 0.5f * u)) < 0.03f;
      } else if (s.graphics == 1) {  // bands along the shroud
        stripe = v > 0.55f && v < 0.75f;
        pin = v > 0.82f && v < 0.87f;
      } else {  // chevrons
        float c = std::fabs(std::fmod(u * 3.0f, 1.0f) - 0.5f);
        stripe = std::fabs(v - 0.4f - c) < 0.08f;
        pin = v > 0.9f;
      }
      if (stripe) img.at(x, y) = accent;
      if (pin) img.at(x, y) = shade(accent, 0.7f);
    }
  }
  fill_rect(img, g.x0 + 14, g.y0 + 8, g.x0 + 58, g.y0 + 20, accent);
  PixelRect p = pixels(img, kPlastic);
  fill_rect(img, p.x0, (p.y0 + p.y1) / 2 - 2, p.x1, (p.y0 + p.y1) / 2 + 2, accent);
  // Seat cover ribs, a darker band on the metal for the engine's shadowed parts.
  PixelRect seat = pixels(img, kSeat);
  for (int y = seat.y0; y < seat.y1; y += 6)
    fill_rect(img, seat.x0, y, seat.x1, y + 1, {40, 40, 44, 255});
  PixelRect m = pixels(img, kMetal);
  fill_rect(img, m.x0, m.y1 - 12, m.x1, m.y1, {85, 86, 92, 255});
  return img;
}

Image wheel_texture(int variant) {
  Image img(256, 256, {25, 25, 25, 255});
  // Tread: knobs across the tyre's width, repeating around it.
  for (int y = 0; y < 128; ++y) {
    for (int x = 0; x < 256; ++x) {
      bool knob = (y % 16) < 9 && ((x / 20 + (y / 16)) % 2 == 0);
      img.at(x, y) = knob ? Rgba{48, 46, 44, 255} : Rgba{20, 20, 20, 255};
    }
  }
  Rgba rim = variant == 1   ? Rgba{220, 180, 40, 255}
             : variant == 2 ? Rgba{30, 60, 200, 255}
                            : Rgba{30, 30, 32, 255};
  fill_rect(img, 0, 128, 128, 192, rim);
  fill_rect(img, 128, 128, 256, 192, {190, 190, 195, 255});
  fill_rect(img, 0, 192, 128, 256, {150, 150, 155, 255});
  for (int i = 0; i < 8; ++i)
    fill_circle(img, 64 + 40 * std::cos(i * 0.785f), 224 + 24 * std::sin(i * 0.785f), 5,
                {60, 60, 64, 255});
  return img;
}

}  // namespace kit
