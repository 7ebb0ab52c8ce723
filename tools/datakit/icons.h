// The desktop icon: the title picture's rider on a sunset tile, drawn at every size the
// desktop's icon theme looks for rather than scaled from one picture, so that the small ones
// stay sharp.
#pragma once

#include <string>
#include <vector>

#include "image.h"

namespace kit {

// Square sizes in pixels, smallest first.
const std::vector<int>& icon_sizes();

Image icon_picture(int size);

// Writes "<root>/hicolor/<N>x<N>/apps/<name>.png" for every size.
bool write_icons(const std::string& root, const std::string& name);

}  // namespace kit
