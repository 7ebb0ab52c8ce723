#include "bikes.h"

#include "bike_style.h"
#include "jm_writer.h"
#include "render/jm_format.h"
#include "surface_maps.h"
#include "world/bike_models.h"

namespace kit {

std::string bike_file_stem(const char* prefix) {
  std::string s = prefix;
  if (!s.empty() && s.back() == '-') s.pop_back();
  return s;
}

std::vector<std::string> bike_file_stems() {
  std::vector<std::string> stems;
  for (const br::BikeModelName& m : br::kBikeModels) {
    std::string s = bike_file_stem(m.texture_prefix);
    bool seen = false;
    for (const std::string& t : stems) seen |= t == s;
    if (!seen) stems.push_back(s);
  }
  return stems;
}

bool write_bikes(const std::string& root) {
  bool ok = true;
  for (const std::string& stem : bike_file_stems()) {
    BikeStyle s = bike_style(stem);
    ok &= write_file(root, stem + "_frame.jm", encode_jm(bike_frame_model(s)));
    ok &= write_file(root, stem + "_fork_upper.jm", encode_jm(bike_fork_upper_model(s)));
    ok &= write_file(root, stem + "_fork_lower.jm", encode_jm(bike_fork_lower_model(s)));
    ok &= write_file(root, stem + "_swingarm.jm", encode_jm(bike_swingarm_model(s)));
    ok &= write_file(root, stem + "_side_plates.jm", encode_jm(bike_side_plates_model(s)));
    ok &= write_file(root, stem + "_front_plate.jm", encode_jm(bike_front_plate_model(s)));
    // The default texture carries the maker's plate colours; the alternates use white plates.
    Image paint = bike_texture(s, 0);
    ok &= write_file(root, stem + ".png", encode_png(paint, false, s.number_tags));
    ok &= write_file(root, stem + "_norm.png", encode_png(model_normal_map(paint, 2.0f), false));
    ok &=
        write_file(root, stem + "_spec.png", encode_png(specular_map(paint, 0.8f, 48, true), true));
    ok &= write_file(root, stem + "-alt1.png", encode_png(bike_texture(s, 1), false));
    ok &= write_file(root, stem + "-alt2.png", encode_png(bike_texture(s, 2), false));
  }
  ok &= write_file(root, "front_wheel.jm", encode_jm(wheel_model(0.8333f, 0.3333f, true)));
  ok &= write_file(root, "rear_wheel.jm", encode_jm(wheel_model(0.75f, 0.3333f, false)));
  const std::string coarse = br::kJmDetailSuffix + std::to_string(kCoarseDetailExponent) + ".jm";
  ok &= write_file(root, "front_wheel" + coarse,
                   encode_jm(wheel_model(0.8333f, 0.3333f, true, Detail::kCoarse)));
  ok &= write_file(root, "rear_wheel" + coarse,
                   encode_jm(wheel_model(0.75f, 0.3333f, false, Detail::kCoarse)));
  Image wheels = wheel_texture(0);
  ok &= write_file(root, "wheels.png", encode_png(wheels, false));
  ok &= write_file(root, "wheels_norm.png", encode_png(model_normal_map(wheels, 4.0f), false));
  ok &= write_file(root, "wheels_spec.png", encode_png(specular_map(wheels, 0.3f, 12, true), true));
  ok &= write_file(root, "wheels-alt1.png", encode_png(wheel_texture(1), false));
  ok &= write_file(root, "wheels-alt2.png", encode_png(wheel_texture(2), false));
  return ok;
}

}  // namespace kit
