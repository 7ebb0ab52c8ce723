// Collision shape files (".shp"): a sphere count, then per sphere seven numbers: centre x, y, z
// in the body's own frame (feet), radius (feet), friction coefficient and the two values the
// contacts between bikes use.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace br {

struct ShapeSphere {
  float x = 0, y = 0, z = 0;
  float radius = 0;
  float friction = 1.0f;
  float stiffness = 1.0f;  // scales the spring of a bike-against-bike contact
  float damping = 1.0f;    // scales its damper
};

constexpr int kMaxShapeSpheres = 1024;

// The seven generic shapes, in the order the shape check reads them.
constexpr std::array<const char*, 7> kGenericShapeFiles = {
    "@generic_frame.shp",    "@generic_fork_upper.shp", "@generic_fork_lower.shp",
    "@generic_swingarm.shp", "@front_wheel.shp",        "@rear_wheel.shp",
    "@generic_rider.shp"};

std::string format_shape(const std::vector<ShapeSphere>& spheres);

// Nothing when the count is missing, negative or too large, or a sphere is short of numbers,
// has one that is not finite or a negative radius.
std::optional<std::vector<ShapeSphere>> parse_shape(const std::string& text);

// The largest |centre| + radius.
float shape_bounding_radius(const std::vector<ShapeSphere>& spheres);

}  // namespace br
