// The scenery files of a track directory: "billboards", "statues", "decals", "cameras" and
// "lighting". Heights in these files are above the ground; lengths in feet, angles in radians.
#pragma once

#include <array>
#include <string>
#include <vector>

namespace br {

struct BillboardEntry {
  float x = 0, y = 0, z = 0;
  float width = 1, height = 1;
  std::string picture;
  // A tint other than white is written as "#rrggbb#" in front of the picture name.
  unsigned char r = 255, g = 255, b = 255;
};

// A yaw of 3.25 or more stands the model upright unrotated; down to -2 pi it rotates about
// the vertical and tilts to the ground; below that it rotates without tilting.
constexpr float kStatueUprightYaw = 3.25f;

struct StatueEntry {
  float x = 0, y = 0, z = 0;
  float yaw = 0;
  std::string model, texture, shape;  // "null" for none
};

struct DecalEntry {
  float x = 0, z = 0;
  float angle = 0;
  float size_a = 1, size_b = 1;
  std::string picture;
};

struct CameraEntry {
  float x = 0, y = 0, z = 0;  // y above the ground
  float fov = 90.0f;          // degrees
  float auto_fov_size = 0.0f;
  std::vector<int> gates;  // timing gates (0..255) at which this camera takes over
};

using Vec3f = std::array<float, 3>;

struct LightingFile {
  Vec3f sun_vector{1, 1, 1};
  Vec3f sun_color{1, 1, 1};
  Vec3f ambient{0.5f, 0.5f, 0.5f};
  Vec3f global_ambient{0.2f, 0.2f, 0.2f};
  std::array<std::string, 5> sky{"@sky-n.ppm", "@sky-e.ppm", "@sky-s.ppm", "@sky-w.ppm",
                                 "@sky-u.ppm"};
  std::string sky_env = "@sky-env.ppm";
  Vec3f fog_color{0.7f, 0.8f, 0.9f};
  float fog_density = 0.0f;
  bool dynamic_lighting = false;
  float near_plane = 0.25f;
  float far_plane = 5000.0f;
};

constexpr std::array<const char*, 5> kSkyKeywords = {"sky_n", "sky_e", "sky_s", "sky_w", "sky_u"};

std::string format_billboards(const std::vector<BillboardEntry>& entries);
std::string format_statues(const std::vector<StatueEntry>& entries);
std::string format_decals(const std::vector<DecalEntry>& entries);
std::string format_cameras(const std::vector<CameraEntry>& cameras);
std::string format_lighting(const LightingFile& lighting);

}  // namespace br
