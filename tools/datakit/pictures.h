// The HUD and title pictures, the roost particle, and the three fonts.
#pragma once

#include <string>

#include "image.h"

namespace kit {

bool write_pictures(const std::string& root);
bool write_fonts(const std::string& root);

// Draws text with a DejaVu face into a picture (used by the fonts, the title and the HUD).
void draw_text(Image& img, const std::string& face_file, int pixel_height, float x, float baseline,
               const std::string& text, Rgba colour);
float text_width(const std::string& face_file, int pixel_height, const std::string& text);

// The rider in the air over the berm, as the title picture shows him. At scale 1 the bike's
// frame sits at (x, y); he spans about 220 x 196 pixels per unit of scale, centred 6 pixels
// right of and 24 above that point. The wheels' holes show the colours behind them.
struct RiderPlacement {
  float x = 0, y = 0, scale = 1;
  Rgba rear_wheel_hole, front_wheel_hole;
};
void draw_flying_rider(Image& img, const RiderPlacement& at);

// Where the DejaVu faces are installed.
std::string dejavu(const std::string& file);
// Whether every face the kit draws with is there; says what is missing when not.
bool fonts_available();

}  // namespace kit
