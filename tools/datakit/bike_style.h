// How each bike looks: its maker's colours, whether it is a two-stroke, and where the parts
// of the bike texture lie. The part models and the textures agree through these regions.
#pragma once

#include <string>

#include "image.h"
#include "mesh.h"

namespace kit {

struct BikeStyle {
  std::string stem;  // file stem, for example "crf450v2013"
  Rgba plastic;      // the maker's colour
  Rgba frame;        // frame tubes
  Rgba accent;       // graphics on the shrouds
  bool two_stroke = false;
  bool small = false;  // 125 and 50 frames are a little smaller
  int maker = 0;       // 0 red, 1 green, 2 yellow, 3 blue, 4 orange
  int graphics = 0;    // which shroud graphics the model year wears (0..2)
  // Number colour tags carried by the default texture, or "" for white plates, black digits.
  std::string number_tags;
};

BikeStyle bike_style(const std::string& stem);

// Texture regions (picture terms) shared by every bike texture.
namespace atlas {
constexpr UvRect kPlastic{0.01f, 0.01f, 0.49f, 0.24f};
constexpr UvRect kGraphics{0.51f, 0.01f, 0.99f, 0.24f};
constexpr UvRect kFrame{0.01f, 0.26f, 0.49f, 0.49f};
constexpr UvRect kMetal{0.51f, 0.26f, 0.99f, 0.49f};
constexpr UvRect kSeat{0.01f, 0.51f, 0.49f, 0.74f};
constexpr UvRect kPlate{0.51f, 0.51f, 0.99f, 0.74f};
constexpr UvRect kFork{0.01f, 0.76f, 0.49f, 0.99f};
constexpr UvRect kDark{0.51f, 0.76f, 0.74f, 0.99f};
constexpr UvRect kSilver{0.76f, 0.76f, 0.99f, 0.99f};
}  // namespace atlas

// The bike's parts, each in its physics body's own frame.
Model bike_frame_model(const BikeStyle& s);
Model bike_fork_upper_model(const BikeStyle& s);
Model bike_fork_lower_model(const BikeStyle& s);
Model bike_swingarm_model(const BikeStyle& s);
Model bike_side_plates_model(const BikeStyle& s);
Model bike_front_plate_model(const BikeStyle& s);
// How finely a model is cut: the full one for close by, the coarse one (the file's "_lod"
// variant) for riders far enough away that the difference is under a pixel or two.
enum class Detail { kFull, kCoarse };
// The distance exponent N of the coarse variants' "_lod<N>" names: 2^5 = 32 feet at the
// default detail settings.
constexpr int kCoarseDetailExponent = 5;

Model wheel_model(float ring_radius, float tube_radius, bool front, Detail detail = Detail::kFull);

// The rider, in the rider body's own frame: the skinned body (limbs only for the rider's own
// view), the helmet and the number plate on the back.
Model rider_body_model(bool first_person, Detail detail = Detail::kFull);
Model helmet_model(Detail detail = Detail::kFull);
Model rider_plate_model();

// variant 0 is the default texture, 1 and 2 the "-alt1" and "-alt2" schemes.
Image bike_texture(const BikeStyle& s, int variant);
Image wheel_texture(int variant);

}  // namespace kit
