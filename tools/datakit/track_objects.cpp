// Objects the tracks share: the starting gate, hay bales, course tape, banners and the
// finish line.
#include <cmath>

#include "bike/shape_format.h"
#include "image.h"
#include "jm_writer.h"
#include "mesh.h"
#include "pictures.h"
#include "surface_maps.h"
#include "tracks.h"

namespace kit {

namespace {

// One gate of the row, modelled as it lies after the drop: flat on the ground, hinged at the
// edge nearest its rider (+z) and reaching away from the rider. The game draws a standing
// gate tilted about its x axis by up to 3 pi / 16, which lifts the far edge into a barrier
// in front of the wheel; once dropped the riders roll over it.
Model startgate_model() {
  Model model = single_mesh(24);
  MeshBuilder b(model.meshes[0]);
  const UvRect grate{0, 0, 1, 0.5f}, metal{0, 0.5f, 1, 1};
  b.box({0, 0.06f, -0.875f}, {1.65f, 0.05f, 0.875f}, grate);
  b.tube({-1.7f, 0.07f, 0}, {1.7f, 0.07f, 0}, 0.07f, 0.07f, 8, metal, true);
  for (float x : {-1.65f, 1.65f}) b.box({x, 0.09f, -0.875f}, {0.05f, 0.08f, 0.9f}, metal);
  return model;
}

Image startgate_picture() {
  Image img(128, 128, {90, 92, 96, 255});
  // Upper half: the gate face, a yellow frame around a dark grate.
  fill_rect(img, 0, 0, 128, 64, {235, 190, 30, 255});
  fill_rect(img, 8, 8, 120, 56, {40, 40, 44, 255});
  for (int x = 12; x < 118; x += 10) fill_rect(img, x, 8, x + 3, 56, {150, 150, 155, 255});
  for (int y = 12; y < 56; y += 10) fill_rect(img, 8, y, 120, y + 2, {150, 150, 155, 255});
  for (int y = 64; y < 128; y += 8) fill_rect(img, 0, y, 128, y + 1, {70, 72, 76, 255});
  return img;
}

Model haybale_model() {
  Model model = single_mesh(2, 0.1f);
  MeshBuilder b(model.meshes[0]);
  b.box({0, 0.85f, 0}, {0.9f, 0.85f, 1.9f}, {0, 0, 1, 1});
  return model;
}

Image haybale_picture() {
  Image img(128, 128, {196, 170, 92, 255});
  Rng rng(91);
  for (int i = 0; i < 500; ++i) {
    float x = rng.range(0, 128), y = rng.range(0, 128), len = rng.range(6, 18);
    float a = rng.range(-0.4f, 0.4f);
    Rgba c = shade({210, 182, 100, 255}, rng.range(0.7f, 1.2f));
    draw_line(img, x, y, x + std::cos(a) * len, y + std::sin(a) * len, 1.2f, c);
  }
  for (int x : {40, 88}) fill_rect(img, x, 0, x + 3, 128, {150, 60, 40, 255});
  return img;
}

Image tape_picture() {
  Image img(64, 16, {0, 0, 0, 0});
  for (int x = 0; x < 64; ++x) {
    for (int y = 3; y < 9; ++y) {
      bool red = ((x + y) / 8) % 2 == 0;
      img.at(x, y) = red ? Rgba{220, 30, 30, 255} : Rgba{245, 245, 245, 255};
    }
  }
  fill_rect(img, 0, 0, 3, 16, {200, 200, 200, 255});
  fill_rect(img, 61, 0, 64, 16, {200, 200, 200, 255});
  return img;
}

Image banner_picture() {
  Image img(512, 128, {250, 250, 250, 255});
  fill_rect(img, 0, 0, 512, 12, {210, 30, 30, 255});
  fill_rect(img, 0, 116, 512, 128, {210, 30, 30, 255});
  const std::string face = dejavu("DejaVuSans-Bold.ttf");
  const std::string text = "BERMRIDER";
  draw_text(img, face, 84, 256 - text_width(face, 84, text) / 2, 95, text, {25, 25, 30, 255});
  return img;
}

Image finishline_picture() {
  Image img(64, 64);
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 64; ++x) {
      img.at(x, y) = ((x / 16 + y / 16) % 2) ? Rgba{20, 20, 20, 255} : Rgba{240, 240, 240, 255};
    }
  }
  return img;
}

// Chalk dashes across the track in front of the gates, on clear ground.
Image startline_picture() {
  Image img(128, 32, {0, 0, 0, 0});
  for (int x = 4; x < 128; x += 16) fill_rect(img, x, 10, x + 9, 22, {235, 235, 225, 230});
  return img;
}

}  // namespace

bool write_track_objects(const std::string& root) {
  bool ok = true;
  ok &= write_file(root, "startgate.jm", encode_jm(startgate_model()));
  ok &= write_file(root, "startgate.ppm", encode_ppm(startgate_picture()));
  std::vector<br::ShapeSphere> gate;
  // Low enough to ride over once the gate is down.
  for (float x : {-1.2f, -0.4f, 0.4f, 1.2f}) {
    for (float z : {-0.4f, -1.3f}) gate.push_back({x, 0.12f, z, 0.15f, 0.5f, 1, 1});
  }
  ok &= write_file(root, "startgate.shp", br::format_shape(gate));
  ok &= write_file(root, "haybale.jm", encode_jm(haybale_model()));
  ok &= write_file(root, "haybale.png", encode_png(haybale_picture(), false));
  std::vector<br::ShapeSphere> bale;
  for (float z : {-1.0f, 0.0f, 1.0f}) bale.push_back({0, 0.85f, z, 0.9f, 0.9f, 0.5f, 2.0f});
  ok &= write_file(root, "haybale.shp", br::format_shape(bale));
  ok &= write_file(root, "tape.png", encode_png(tape_picture(), true));
  ok &= write_file(root, "banner.png", encode_png(banner_picture(), false));
  Image finish = finishline_picture();
  ok &= write_file(root, "finishline.png", encode_png(finish, false));
  ok &= write_file(root, "finishline_tnorm.png", encode_png(ground_normal_map(finish, 2.0f), true));
  ok &= write_file(root, "finishline_tspec.png",
                   encode_png(ground_specular_map(finish, 0.5f, 24.0f), true));
  Image start = startline_picture();
  ok &= write_file(root, "startline.png", encode_png(start, true));
  ok &= write_file(root, "startline_tnorm.png", encode_png(ground_normal_map(start, 1.0f), true));
  ok &= write_file(root, "startline_tspec.png",
                   encode_png(ground_specular_map(start, 0.4f, 16.0f), true));
  return ok;
}

}  // namespace kit
