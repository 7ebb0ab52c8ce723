#include "track/tileinfo_format.h"

#include "track/text_lines.h"

namespace br {

std::string format_tileinfo(const std::vector<TileInfo>& tiles) {
  std::string out;
  for (const TileInfo& t : tiles) {
    if (!t.texture.empty()) out += "texture " + t.texture + "\n";
    for (const FrictionPoint& p : t.friction) appendf(out, "friction %f %f\n", p.value, p.speed);
    for (const RollResistPoint& p : t.roll_resist) {
      appendf(out, "roll_resist %f %f %f\n", p.low, p.high, p.speed);
    }
    for (const RoostLine& r : t.roost) {
      out += "roost";
      for (const auto& [name, value] : r.params) out += " " + name + "=" + value;
      out += "\n";
    }
    for (int i = 0; i < kErodeValueCount; ++i) {
      if (t.erode[i] == kErodeDefaults[i]) continue;
      appendf(out, "%s %f\n", kErodeKeywords[i], t.erode[i]);
    }
    out += "addtile\n";
  }
  return out;
}

}  // namespace br
