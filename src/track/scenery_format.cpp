#include "track/scenery_format.h"

#include "track/text_lines.h"

namespace br {

namespace {

const char* or_null(const std::string& name) {
  return name.empty() ? "null" : name.c_str();
}

void append_vector(std::string& out, const char* keyword, const Float3& v) {
  appendf(out, "%s [ %f %f %f ]\n", keyword, v[0], v[1], v[2]);
}

}  // namespace

std::string format_billboards(const std::vector<BillboardEntry>& entries) {
  std::string out;
  for (const BillboardEntry& b : entries) {
    appendf(out, "[%f %f %f] %f %f ", b.x, b.y, b.z, b.width, b.height);
    if (b.r != 255 || b.g != 255 || b.b != 255) {
      appendf(out, "#%02x%02x%02x#%s\n", b.r, b.g, b.b, b.picture.c_str());
    } else {
      appendf(out, "%s\n", b.picture.c_str());
    }
  }
  return out;
}

std::string format_statues(const std::vector<StatueEntry>& entries) {
  std::string out;
  for (const StatueEntry& s : entries) {
    appendf(out, "[%f %f %f] %f %s %s %s\n", s.x, s.y, s.z, s.yaw, or_null(s.model),
            or_null(s.texture), or_null(s.shape));
  }
  return out;
}

std::string format_decals(const std::vector<DecalEntry>& entries) {
  std::string out;
  for (const DecalEntry& d : entries) {
    appendf(out, "[%f %f] %f %f %f %s\n", d.x, d.z, d.angle, d.size_a, d.size_b, d.picture.c_str());
  }
  return out;
}

std::string format_cameras(const std::vector<CameraEntry>& cameras) {
  std::string out;
  for (const CameraEntry& c : cameras) {
    // The gate and view lines set up the camera that the next "addcamera" adds.
    if (!c.gates.empty()) {
      out += "gate";
      for (int g : c.gates) appendf(out, " %d", g);
      out += "\n";
    }
    if (c.fov != 90.0f) appendf(out, "fov %f\n", c.fov);
    if (c.auto_fov_size != 0.0f) appendf(out, "autofovsize %f\n", c.auto_fov_size);
    appendf(out, "addcamera %f %f %f\n", c.x, c.y, c.z);
  }
  return out;
}

std::string format_lighting(const LightingFile& l) {
  std::string out;
  append_vector(out, "sun_vector", l.sun_vector);
  append_vector(out, "sun_color", l.sun_color);
  append_vector(out, "ambient", l.ambient);
  append_vector(out, "global_ambient", l.global_ambient);
  for (size_t i = 0; i < l.sky.size(); ++i)
    appendf(out, "%s %s\n", kSkyKeywords[i], l.sky[i].c_str());
  appendf(out, "sky_env %s\n", l.sky_env.c_str());
  if (l.fog_density > 0.0f) {
    appendf(out, "fog [ %f %f %f ] %f\n", l.fog_color[0], l.fog_color[1], l.fog_color[2],
            l.fog_density);
  }
  appendf(out, "dynamic_lighting %d\n", l.dynamic_lighting ? 1 : 0);
  appendf(out, "near_plane %f\n", l.near_plane);
  appendf(out, "far_plane %f\n", l.far_plane);
  for (const LensFlare& f : l.flares) {
    for (const FlareElement& e : f.elements) {
      appendf(out, "flare_element [ %f %f ] [ %f %f %f ] %f %s\n", e.a, e.b, e.colour[0],
              e.colour[1], e.colour[2], e.size, e.texture.c_str());
    }
    append_vector(out, f.is_direction ? "flare_vector" : "flare_point", f.where);
  }
  return out;
}

std::string format_flaggers(const FlaggersFile& f) {
  // The start and finish flaggers are found by their place in the file.
  if (!f.has_start) return "";
  std::string out;
  const StartFlaggerEntry& s = f.start;
  appendf(out, "[%f %f %f] [%f %f %f] %f %f %f", s.a[0], s.a[1], s.a[2], s.b[0], s.b[1], s.b[2],
          s.width, s.height, s.walk_seconds);
  for (const std::string& p : s.frames) appendf(out, " %s", p.c_str());
  out += "\n";
  if (!f.has_finish) return out;
  const FinishFlaggerEntry& e = f.finish;
  appendf(out, "[%f %f %f] %f %f", e.at[0], e.at[1], e.at[2], e.width, e.height);
  for (const std::string& p : e.pictures) appendf(out, " %s", p.c_str());
  out += "\n";
  for (const CornerFlaggerEntry& c : f.corners) {
    appendf(out, "[%f %f %f] %f %f %d %d %d %d %s %s\n", c.at[0], c.at[1], c.at[2], c.width,
            c.height, c.gates[0], c.gates[1], c.gates[2], c.gates[3], c.normal.c_str(),
            c.alert.c_str());
  }
  return out;
}

}  // namespace br
