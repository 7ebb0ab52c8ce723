// Collision shapes, loaded once per file name and shared by every bike that names them.
#pragma once

#include <string>
#include <vector>

#include "bike/shape_format.h"

namespace br {

struct CollisionShape {
  std::string name;
  std::vector<ShapeSphere> spheres;
  float bounding_radius = 0;  // feet from the body's origin
};

// The cached or newly read shape, or nullptr (logged) when the file is missing or malformed.
// Borrowed until shape_cache_clear.
const CollisionShape* shape_load(const std::string& name);
void shape_cache_clear();

// Loads the seven generic shapes and tells whether their contents are the stock shapes the
// game ships with (the collision shape check). A missing file fails the check.
bool load_generic_shapes();

}  // namespace br
