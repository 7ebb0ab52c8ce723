// Collision shape files (".shp").
#include <cmath>
#include <cstdlib>
#include <string>

#include "bike/shape_format.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto spheres = br::parse_shape(std::string(br_fuzz::as_text(data, size)));
  if (!spheres) return 0;
  // The contact tests rely on finite, non-negative radii and finite centres.
  for (const br::ShapeSphere& s : *spheres) {
    if (!std::isfinite(s.x) || !std::isfinite(s.y) || !std::isfinite(s.z) ||
        !std::isfinite(s.radius) || s.radius < 0)
      std::abort();
  }
  br::shape_bounding_radius(*spheres);
  return 0;
}
