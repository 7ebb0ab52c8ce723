// The rider: a skinned body in riding gear on the nine bones of the rider skeleton, the
// first-person body (limbs only), the helmet, the number plate on the back, and the gear
// textures with their alternates.
#include <cmath>

#include "bike/rider_skeleton.h"
#include "bike_style.h"
#include "bikes.h"
#include "image.h"
#include "jm_writer.h"
#include "mesh.h"
#include "render/jm_format.h"

namespace kit {

namespace {

constexpr UvRect kJersey{0.01f, 0.01f, 0.49f, 0.49f};
constexpr UvRect kSleeve{0.51f, 0.01f, 0.99f, 0.49f};
constexpr UvRect kPants{0.01f, 0.51f, 0.49f, 0.74f};
constexpr UvRect kBoots{0.51f, 0.51f, 0.99f, 0.74f};
constexpr UvRect kGloves{0.01f, 0.76f, 0.49f, 0.99f};
constexpr UvRect kNeck{0.51f, 0.76f, 0.99f, 0.99f};

V3 v3(br::RiderPoint p) {
  return {p.x, p.y, p.z};
}

void limbs(MeshBuilder& b, Detail detail) {
  const bool fine = detail == Detail::kFull;
  const int round = fine ? 8 : 5, rings = fine ? 4 : 3;
  br::RiderRestPose pose = br::rider_rest_pose();
  for (int side = 0; side < 2; ++side) {
    size_t s = size_t(side);
    V3 shoulder = v3(pose.shoulder[s]), elbow = v3(pose.elbow[s]), hand = v3(pose.hand[s]);
    V3 hip = v3(pose.hip[s]), knee = v3(pose.knee[s]), foot = v3(pose.foot[s]);
    int upper = side == 0 ? br::kRiderLeftUpperArm : br::kRiderRightUpperArm;
    int lower = side == 0 ? br::kRiderLeftForearm : br::kRiderRightForearm;
    int thigh = side == 0 ? br::kRiderLeftThigh : br::kRiderRightThigh;
    int shin = side == 0 ? br::kRiderLeftShin : br::kRiderRightShin;
    b.bone(upper);
    b.tube(shoulder, elbow, 0.17f, 0.15f, round, kSleeve, false);
    b.ellipsoid(elbow, {0.16f, 0.16f, 0.16f}, round, rings, kSleeve);
    b.bone(lower);
    V3 wrist = hand + normalise(elbow - hand) * 0.15f;
    b.tube(elbow, wrist, 0.14f, 0.11f, round, kSleeve, false);
    b.ellipsoid(hand, {0.12f, 0.1f, 0.13f}, round, rings, kGloves);
    b.bone(thigh);
    b.tube(hip, knee, 0.27f, 0.2f, round, kPants, false);
    b.ellipsoid(knee, {0.2f, 0.2f, 0.21f}, round, rings, kPants);
    b.bone(shin);
    V3 ankle = foot + V3{0, 0.28f, 0.12f};
    b.tube(knee, ankle, 0.21f, 0.19f, round, kBoots, true);
    b.box(foot + V3{0, 0.1f, -0.12f}, {0.13f, 0.13f, 0.33f}, kBoots);
  }
}

}  // namespace

Model rider_body_model(bool first_person, Detail detail) {
  const bool fine = detail == Detail::kFull;
  const int round = fine ? 10 : 6, rings = fine ? 5 : 3;
  Model model = single_mesh(6, 0.2f);
  model.bones = br::kRiderBoneCount;
  model.skeleton = br::kRiderSkeletonName;
  MeshBuilder b(model.meshes[0]);
  if (!first_person) {
    b.bone(br::kRiderTorso);
    V3 pelvis{0, -0.55f, 0.62f}, chest{0, 0.5f, -0.55f};
    b.tube(pelvis, chest, 0.42f, 0.5f, round, kJersey, true);
    b.ellipsoid(pelvis, {0.44f, 0.32f, 0.42f}, round, rings, kPants);
    b.ellipsoid(chest + V3{0, 0.05f, -0.05f}, {0.56f, 0.3f, 0.38f}, round, rings, kJersey);
    b.tube(chest + V3{0, 0.2f, -0.05f}, {0, 0.8f, -0.85f}, 0.16f, 0.15f, fine ? 8 : 5, kNeck,
           false);
    br::RiderRestPose pose = br::rider_rest_pose();
    for (int side = 0; side < 2; ++side) {
      b.ellipsoid(v3(pose.shoulder[size_t(side)]), {0.21f, 0.21f, 0.21f}, fine ? 8 : 5,
                  fine ? 4 : 3, kSleeve);
    }
  }
  limbs(b, detail);
  return model;
}

Model helmet_model(Detail detail) {
  Model model = single_mesh(40, 0.6f);
  MeshBuilder b(model.meshes[0]);
  const UvRect shell{0.01f, 0.01f, 0.99f, 0.49f}, peak{0.01f, 0.51f, 0.49f, 0.74f};
  const UvRect goggles{0.51f, 0.51f, 0.99f, 0.74f}, chin{0.01f, 0.76f, 0.99f, 0.99f};
  V3 centre{0, 1.02f, -0.92f};
  const bool fine = detail == Detail::kFull;
  b.ellipsoid(centre, {0.4f, 0.42f, 0.48f}, fine ? 14 : 8, fine ? 8 : 5, shell);
  b.box(centre + V3{0, -0.24f, -0.4f}, {0.22f, 0.1f, 0.12f}, chin);
  b.box(centre + V3{0, -0.02f, -0.42f}, {0.3f, 0.08f, 0.06f}, goggles);
  b.place(rotate_x(0.25f, centre + V3{0, 0.3f, -0.45f}));
  b.box({0, 0, 0}, {0.3f, 0.02f, 0.22f}, peak);
  return model;
}

Model rider_plate_model() {
  Model model = single_mesh(4);
  MeshBuilder b(model.meshes[0]);
  V3 up = normalise({0, 0.668f, -0.744f});
  V3 back{0, 0.744f, 0.668f};
  V3 c = V3{0, -0.02f, 0.03f} + back * 0.52f;
  V3 across{0.3f, 0, 0};
  // Read from behind: the picture's left is the rider's left.
  b.quad(c - across - up * 0.28f, c + across - up * 0.28f, c + across + up * 0.28f,
         c - across + up * 0.28f, {0, 0, 1, 1}, false);
  return model;
}

namespace {

struct Gear {
  Rgba jersey, stripe, pants, boots, gloves;
};

Image rider_texture(const Gear& g) {
  Image img(256, 256);
  auto region = [&](UvRect r, Rgba c) {
    fill_rect(img, int(r.u0 * 256) - 2, int(r.v0 * 256) - 2, int(r.u1 * 256) + 3,
              int(r.v1 * 256) + 3, c);
  };
  region(kJersey, g.jersey);
  region(kSleeve, g.jersey);
  region(kPants, g.pants);
  region(kBoots, g.boots);
  region(kGloves, g.gloves);
  region(kNeck, {40, 40, 44, 255});
  for (int y = 20; y < 128; y += 40) fill_rect(img, 0, y, 128, y + 10, g.stripe);
  for (int x = 140; x < 256; x += 30) fill_rect(img, x, 0, x + 8, 128, g.stripe);
  fill_rect(img, 0, 170, 128, 176, g.stripe);
  fill_rect(img, 128, 150, 256, 160, shade(g.boots, 0.6f));
  return img;
}

Image helmet_texture(Rgba shell, Rgba stripe) {
  Image img(256, 256, shell);
  for (int x = 0; x < 256; ++x) {
    for (int y = 0; y < 128; ++y) {
      if (std::abs(y - 64 - int(20 * std::sin(x * 0.05f))) < 7) img.at(x, y) = stripe;
    }
  }
  fill_rect(img, 0, 128, 128, 192, shade(shell, 0.8f));
  fill_rect(img, 128, 128, 256, 192, {30, 30, 34, 255});
  fill_rect(img, 140, 140, 244, 180, {120, 160, 200, 255});
  fill_rect(img, 0, 192, 256, 256, stripe);
  return img;
}

}  // namespace

std::string bike_file_stem(const char* prefix);

bool write_rider(const std::string& root) {
  bool ok = true;
  ok &= write_file(root, "rider_body.jm", encode_jm(rider_body_model(false)));
  ok &= write_file(root, "rider_body_fp.jm", encode_jm(rider_body_model(true)));
  ok &= write_file(root, "rider_head.jm", encode_jm(helmet_model()));
  // Coarser variants for riders further away; the first-person body is always close.
  const std::string coarse = br::kJmDetailSuffix + std::to_string(kCoarseDetailExponent) + ".jm";
  ok &=
      write_file(root, "rider_body" + coarse, encode_jm(rider_body_model(false, Detail::kCoarse)));
  ok &= write_file(root, "rider_head" + coarse, encode_jm(helmet_model(Detail::kCoarse)));
  ok &= write_file(root, "rider_plate.jm", encode_jm(rider_plate_model()));
  const Gear gear[4] = {{{200, 30, 35, 255},
                         {245, 245, 245, 255},
                         {30, 30, 34, 255},
                         {235, 235, 235, 255},
                         {25, 25, 25, 255}},
                        {{30, 70, 190, 255},
                         {250, 210, 0, 255},
                         {35, 40, 70, 255},
                         {30, 30, 30, 255},
                         {250, 210, 0, 255}},
                        {{60, 160, 40, 255},
                         {20, 20, 20, 255},
                         {50, 55, 50, 255},
                         {60, 160, 40, 255},
                         {20, 20, 20, 255}},
                        {{240, 120, 10, 255},
                         {60, 60, 64, 255},
                         {110, 110, 116, 255},
                         {240, 120, 10, 255},
                         {240, 240, 240, 255}}};
  const Rgba shells[4][2] = {{{245, 245, 245, 255}, {200, 30, 35, 255}},
                             {{250, 210, 0, 255}, {30, 70, 190, 255}},
                             {{20, 20, 22, 255}, {60, 160, 40, 255}},
                             {{240, 120, 10, 255}, {245, 245, 245, 255}}};
  for (int i = 0; i < 4; ++i) {
    std::string suffix = i == 0 ? "" : "-alt" + std::to_string(i);
    ok &=
        write_file(root, "rider_body" + suffix + ".png", encode_png(rider_texture(gear[i]), false));
    ok &= write_file(root, "rider_head" + suffix + ".png",
                     encode_png(helmet_texture(shells[i][0], shells[i][1]), false));
  }
  return ok;
}

}  // namespace kit
