#include "bike/tyre_model.h"

#include <algorithm>
#include <cmath>

namespace br {

TyreSpring tyre_spring(double depth, double tube_radius) {
  double f = tube_radius > 0 ? std::clamp(depth / tube_radius, 0.0, 1.0) : 1.0;
  double f3 = f * f * f;
  return {24000 * f3 + 1000, 2300 * f3 + 200};
}

std::array<double, 3> upward_normal(std::array<double, 3> n) {
  constexpr double kMinHorizontal = 1.0 / 1024;  // squared length
  if (n[1] < 0) {
    if (n[0] * n[0] + n[2] * n[2] >= kMinHorizontal) {
      n[1] = 0;
    } else {
      n = {0, 1, 0};
    }
  }
  double length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
  // A degenerate or broken normal from the ground must not reach the solver.
  if (!(length > 0) || !std::isfinite(length)) return {0, 1, 0};
  return {n[0] / length, n[1] / length, n[2] / length};
}

}  // namespace br
