#include "bike/setup_block.h"

#include <algorithm>
#include <cmath>

namespace br {

SetupBlock default_setup(const BikeEntry& e) {
  SetupBlock s;
  s.final_drive =
      std::max(3.0f, std::floor(e.rear_sprocket)) / std::max(3.0f, std::floor(e.front_sprocket));
  s.fork_compression = e.fork_compression_base;
  s.fork_rebound = e.fork_rebound_base;
  s.fork_spring = (e.fork_spring_soft + e.fork_spring_hard) / 2;
  s.fork_preload = (e.fork_preload_low + e.fork_preload_high) / 2;
  s.fork_oil_level = (e.fork_oil_low + e.fork_oil_high) / 2;
  s.shock_compression = e.shock_compression_base;
  s.shock_rebound = e.shock_rebound_base;
  s.shock_spring = (e.shock_spring_soft + e.shock_spring_hard) / 2;
  s.shock_preload = (e.shock_preload_low + e.shock_preload_high) / 2;
  return s;
}

}  // namespace br
