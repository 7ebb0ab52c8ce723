// The scenery files of a track directory: "billboards", "statues", "decals", "cameras" and
// "lighting". Heights in these files are above the ground; lengths in feet, angles in radians.
#pragma once

#include <array>
#include <string>
#include <string_view>
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

using Float3 = std::array<float, 3>;

// Up to eight elements make one lens flare; the renderer gives their numbers a meaning.
constexpr int kMaxFlareElements = 8;

struct FlareElement {
  float a = 0, b = 0;
  Float3 colour{1, 1, 1};
  float size = 0;
  std::string texture;
};

struct LensFlare {
  Float3 where{0, 0, 0};       // a point, or a direction when `is_direction`
  bool is_direction = false;  // "flare_vector" rather than "flare_point"
  std::vector<FlareElement> elements;
};

struct LightingFile {
  Float3 sun_vector{1, 1, 1};
  Float3 sun_color{1, 1, 1};
  Float3 ambient{0.5f, 0.5f, 0.5f};
  Float3 global_ambient{0.2f, 0.2f, 0.2f};
  std::array<std::string, 5> sky{"@sky-n.ppm", "@sky-e.ppm", "@sky-s.ppm", "@sky-w.ppm",
                                 "@sky-u.ppm"};
  std::string sky_env = "@sky-env.ppm";
  Float3 fog_color{0.7f, 0.8f, 0.9f};
  float fog_density = 0.0f;
  bool dynamic_lighting = false;
  float near_plane = 0.25f;
  float far_plane = 5000.0f;
  std::vector<LensFlare> flares;
};

// The "flaggers" file: the start flagger, the finish flagger, then the corner flaggers.
struct StartFlaggerEntry {
  Float3 a{0, 0, 0}, b{0, 0, 0};  // walks from a to b; y above the ground
  float width = 1, height = 1;
  float walk_seconds = 1.0f;
  std::array<std::string, 5> frames;  // before, during and after the drop
};

struct FinishFlaggerEntry {
  Float3 at{0, 0, 0};
  float width = 1, height = 1;
  // Normal lap, halfway lap, last lap, finished race.
  std::array<std::string, 4> pictures;
};

struct CornerFlaggerEntry {
  Float3 at{0, 0, 0};
  float width = 1, height = 1;
  std::array<int, 4> gates{-1, -1, -1, -1};  // timing gates it watches, -1 = none
  std::string normal, alert;
};

struct FlaggersFile {
  bool has_start = false, has_finish = false;
  StartFlaggerEntry start;
  FinishFlaggerEntry finish;
  std::vector<CornerFlaggerEntry> corners;
};

constexpr std::array<const char*, 5> kSkyKeywords = {"sky_n", "sky_e", "sky_s", "sky_w", "sky_u"};

std::string format_billboards(const std::vector<BillboardEntry>& entries);
std::string format_statues(const std::vector<StatueEntry>& entries);
std::string format_decals(const std::vector<DecalEntry>& entries);
std::string format_cameras(const std::vector<CameraEntry>& cameras);
std::string format_lighting(const LightingFile& lighting);
std::string format_flaggers(const FlaggersFile& flaggers);

// Readers of the same files. Each entry is a line; a line that does not parse is skipped with
// a warning naming `file` and the line, and blank and "#" comment lines are passed over.
std::vector<BillboardEntry> parse_billboards(std::string_view text, const std::string& file);
std::vector<StatueEntry> parse_statues(std::string_view text, const std::string& file);
std::vector<DecalEntry> parse_decals(std::string_view text, const std::string& file);
std::vector<CameraEntry> parse_cameras(std::string_view text, const std::string& file);
// An unknown keyword is reported and its line skipped; the planes come out clamped and the
// sun vector normalised.
LightingFile parse_lighting(std::string_view text, const std::string& file);
// The start and finish flaggers come first and in that order: reading ends at the first of
// them that does not parse. A bad corner flagger line is skipped.
FlaggersFile parse_flaggers(std::string_view text, const std::string& file);

// A billboard name "#rrggbb#picture" gives the tint and the picture; any other name is the
// picture itself, white.
void split_billboard_name(const std::string& name, BillboardEntry& entry);

}  // namespace br
