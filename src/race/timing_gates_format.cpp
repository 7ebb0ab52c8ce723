#include "race/timing_gates_format.h"

#include "track/text_lines.h"

namespace br {

namespace {

void append_list(std::string& out, const char* title, const std::vector<int>& refs) {
  if (refs.empty()) return;
  out += title;
  for (int r : refs) appendf(out, "%d ", r);
  out += "\n";
}

}  // namespace

std::string format_timing_gates(const TimingGatesFile& file) {
  std::string out;
  if (!file.starts.empty()) {
    out += "startinggate:\n";
    for (const StartPosition& s : file.starts) {
      appendf(out, "[%f %f %f]", s.x, s.y, s.z);
      appendf(out, " %f", s.yaw);
      if (s.model.empty() && s.texture.empty() && s.shape.empty()) {
        out += "\n";
      } else {
        auto name = [](const std::string& n, const char* fallback) {
          return n.empty() ? std::string(fallback) : n;
        };
        out += " " + name(s.model, kDefaultStartGateModel) + " " +
               name(s.texture, kDefaultStartGateTexture) + " " +
               name(s.shape, kDefaultStartGateShape) + "\n";
      }
    }
  }
  if (!file.gates.empty()) {
    out += "checkpoints:\n";
    for (const TimingGate& g : file.gates) {
      appendf(out, "%f ", g.radius);
      appendf(out, "[%f %f %f]", g.cx, g.cy, g.cz);
      out += " ";
      appendf(out, "[%f %f %f]", g.dx, g.dy, g.dz);
      out += "\n";
    }
  }
  append_list(out, "firstlap:\n", file.first_lap);
  append_list(out, "normallap:\n", file.normal_lap);
  return out;
}

}  // namespace br
