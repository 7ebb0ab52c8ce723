// The HUD and title pictures, the roost particle, and the three fonts.
#pragma once

#include <string>

namespace kit {

bool write_pictures(const std::string& root);
bool write_fonts(const std::string& root);

// Draws text with a DejaVu face into a picture (used by the fonts, the title and the HUD).
struct Image;
struct Rgba;
void draw_text(Image& img, const std::string& face_file, int pixel_height, float x, float baseline,
               const std::string& text, Rgba colour);
float text_width(const std::string& face_file, int pixel_height, const std::string& text);

// Where the DejaVu faces are installed.
std::string dejavu(const std::string& file);
// Whether every face the kit draws with is there; says what is missing when not.
bool fonts_available();

}  // namespace kit
