// Screenshots: their numbering among the data files and the PNG file they are saved as.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "world/world.h"

namespace br {

// The number the next shot takes. The first shot of a run continues after the largest number
// of any data file named "screenshot" and a number; later shots count on from there.
int next_screenshot_number(World& w, const std::vector<std::string>& data_files);

// Encodes RGB rows, top row first, as a PNG file in memory. Empty on failure.
std::vector<uint8_t> encode_png_rgb(int width, int height, const uint8_t* rgb_top_first);

// Saves a frame as "@screenshot%03d.png" in the home directory and shows the message. The
// message is shown even when the picture could not be saved, as a player expects to hear.
void save_screenshot(World& w, int width, int height, const std::vector<uint8_t>& rgb_top_first);

}  // namespace br
