#include "track/tileinfo_format.h"

#include <cstdio>

namespace br {

namespace {

void append(std::string& out, const char* format, float a, float b, float c = 0.0f) {
  char line[160];
  int n = std::snprintf(line, sizeof line, format, a, b, c);
  out.append(line, static_cast<size_t>(n));
}

}  // namespace

std::string format_tileinfo(const std::vector<TileInfo>& tiles) {
  std::string out;
  for (const TileInfo& t : tiles) {
    if (!t.texture.empty()) out += "texture " + t.texture + "\n";
    for (const FrictionPoint& p : t.friction) append(out, "friction %f %f\n", p.value, p.speed);
    for (const RollResistPoint& p : t.roll_resist) {
      append(out, "roll_resist %f %f %f\n", p.low, p.high, p.speed);
    }
    for (const RoostLine& r : t.roost) {
      out += "roost";
      for (const auto& [name, value] : r.params) out += " " + name + "=" + value;
      out += "\n";
    }
    for (int i = 0; i < kErodeValueCount; ++i) {
      if (t.erode[i] == kErodeDefaults[i]) continue;
      char line[96];
      int n = std::snprintf(line, sizeof line, "%s %f\n", kErodeKeywords[i], t.erode[i]);
      out.append(line, static_cast<size_t>(n));
    }
    out += "addtile\n";
  }
  return out;
}

}  // namespace br
