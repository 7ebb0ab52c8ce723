// Low-polygon bike parts. Positions below are first laid out in the bike's own frame (the
// catalogue's: y up, facing -z, ground near y = 0), then moved into the frame of the physics
// body that carries each part, since every part is drawn at its body's pose.
#include <cmath>

#include "bike_style.h"

namespace kit {

namespace {

using namespace atlas;

// Body positions of the catalogue.
constexpr V3 kFrameBody{0, 1.98f, 3.6f};
constexpr V3 kForkUpperBody{0, 2.9f, 2.16f};
constexpr V3 kForkLowerBody{0, 1.77f, 1.59f};
constexpr V3 kSwingarmBody{0, 1.34f, 4.99f};
constexpr V3 kFrontAxle{0, 1.09f, 1.11f};
constexpr V3 kRearAxle{0, 1.04f, 6.0f};
constexpr V3 kSwingarmPivot{0, 1.58f, 4.17f};

V3 fork_axis() {
  return normalise(kForkUpperBody - kForkLowerBody);
}

Placement at_body(V3 body) {
  Placement p;
  p.origin = body * -1.0f;
  return p;
}

using Outline = std::vector<std::pair<float, float>>;

// Shrouds differ a little from maker to maker.
Outline shroud_outline(const BikeStyle& s) {
  float d = 0.05f * s.maker;
  return {{2.35f, 3.12f}, {3.45f + d, 3.02f}, {3.35f, 2.25f - d}, {2.7f, 1.95f}, {2.35f, 2.3f}};
}

}  // namespace

Model bike_frame_model(const BikeStyle& s) {
  Model model = single_mesh(24, 0.4f);
  MeshBuilder b(model.meshes[0]);
  b.place(at_body(kFrameBody));
  float k = s.small ? 0.95f : 1.0f;
  // Frame tubes: spars from the steering head to the swingarm pivot, a down tube, rails.
  for (float x : {-0.24f, 0.24f}) {
    b.tube({0, 2.95f, 2.25f}, {x, 2.7f, 3.6f}, 0.08f, 0.08f, 6, kFrame, false);
    b.tube({x, 2.7f, 3.6f}, {x, 1.5f, 4.2f}, 0.08f, 0.08f, 6, kFrame, false);
    b.tube({x, 2.7f, 3.6f}, {x, 3.0f, 5.9f}, 0.05f, 0.05f, 6, kFrame, false);
    b.tube({x, 1.6f, 4.3f}, {x, 2.9f, 5.5f}, 0.045f, 0.045f, 6, kFrame, false);
    b.tube({x * 0.4f, 2.75f, 2.3f}, {x * 0.8f, 1.0f, 3.0f}, 0.06f, 0.06f, 6, kFrame, false);
    b.tube({x * 0.8f, 1.0f, 3.0f}, {x, 1.05f, 4.1f}, 0.06f, 0.06f, 6, kFrame, false);
  }
  b.tube({0, 2.55f, 2.05f}, {0, 3.15f, 2.35f}, 0.11f, 0.11f, 8, kFrame, true);  // head tube
  // Engine: crankcase, cylinder and head, and the clutch cover.
  b.box({0, 1.5f, 3.55f}, {0.3f * k, 0.38f, 0.5f * k}, kMetal);
  b.box({0.32f, 1.45f, 3.75f}, {0.05f, 0.28f, 0.3f}, kSilver);
  b.place([&] {
    Placement p = rotate_x(-0.35f, V3{0, 2.05f, 3.2f} - kFrameBody);
    return p;
  }());
  b.box({0, 0, 0}, {0.24f * k, s.two_stroke ? 0.3f : 0.36f, 0.24f}, kMetal);
  for (int i = 0; i < 4; ++i) b.box({0, -0.2f + 0.12f * i, 0}, {0.27f * k, 0.02f, 0.27f}, kMetal);
  b.place(at_body(kFrameBody));
  // Radiators either side of the frame, behind the shrouds.
  for (float x : {-0.3f, 0.3f}) b.box({x, 2.3f, 2.85f}, {0.07f, 0.38f, 0.28f}, kDark);
  // Tank, shrouds, seat and rear fender.
  b.ellipsoid({0, 3.0f, 3.05f}, {0.36f * k, 0.26f, 0.62f}, 12, 6, kPlastic);
  Outline shroud = shroud_outline(s);
  b.slab(shroud, 0.33f, 0.42f, kGraphics, kPlastic);
  b.slab(shroud, -0.42f, -0.33f, kGraphics, kPlastic);
  b.slab({{3.3f, 3.02f}, {3.55f, 3.27f}, {5.5f, 3.34f}, {5.65f, 3.12f}, {3.5f, 2.92f}}, -0.27f,
         0.27f, kSeat, kSeat);
  b.slab({{5.2f, 3.04f}, {6.95f, 3.38f}, {7.05f, 3.3f}, {5.3f, 2.9f}}, -0.3f, 0.3f, kPlastic,
         kPlastic);
  b.box({0, 2.55f, 4.35f}, {0.3f, 0.3f, 0.45f}, kDark);  // airbox
  // Foot pegs.
  for (float x : {-0.6f, 0.6f}) b.box({x, 1.42f, 4.18f}, {0.16f, 0.04f, 0.07f}, kSilver);
  // Exhaust: a fat expansion chamber for two-strokes, a header pipe for four-strokes.
  if (s.two_stroke) {
    b.tube({0.12f, 2.0f, 2.75f}, {0.3f, 1.45f, 2.55f}, 0.09f, 0.15f, 10, kSilver, false);
    b.tube({0.3f, 1.45f, 2.55f}, {0.38f, 1.55f, 3.6f}, 0.15f, 0.2f, 10, kDark, false);
    b.tube({0.38f, 1.55f, 3.6f}, {0.38f, 2.35f, 4.4f}, 0.2f, 0.08f, 10, kDark, false);
    b.tube({0.38f, 2.45f, 4.5f}, {0.4f, 2.85f, 5.8f}, 0.13f, 0.13f, 10, kSilver, true);
    MeshBuilder coat(add_chrome_coat(model, 0.4f));
    coat.place(at_body(kFrameBody));
    coat.tube({0.38f, 2.45f, 4.5f}, {0.4f, 2.85f, 5.8f}, 0.136f, 0.136f, 10, kSilver, false);
  } else {
    b.tube({0.1f, 2.0f, 2.85f}, {0.3f, 1.7f, 3.1f}, 0.07f, 0.07f, 8, kSilver, false);
    b.tube({0.3f, 1.7f, 3.1f}, {0.36f, 1.95f, 4.1f}, 0.07f, 0.07f, 8, kSilver, false);
    b.tube({0.36f, 1.95f, 4.1f}, {0.38f, 2.45f, 4.75f}, 0.07f, 0.09f, 8, kSilver, false);
    b.tube({0.38f, 2.45f, 4.75f}, {0.4f, 2.9f, 6.05f}, 0.17f, 0.15f, 10, kSilver, true);
    MeshBuilder coat(add_chrome_coat(model, 0.4f));
    coat.place(at_body(kFrameBody));
    coat.tube({0.38f, 2.45f, 4.75f}, {0.4f, 2.9f, 6.05f}, 0.176f, 0.156f, 10, kSilver, false);
  }
  return model;
}

Model bike_side_plates_model(const BikeStyle& s) {
  Model model = single_mesh(16, 0.4f);
  MeshBuilder b(model.meshes[0]);
  b.place(at_body(kFrameBody));
  float lift = s.small ? -0.05f : 0.0f;
  Outline plate{{4.3f, 2.45f + lift}, {5.45f, 2.85f + lift}, {5.55f, 3.18f}, {4.35f, 3.1f}};
  b.slab(plate, 0.34f, 0.4f, kPlate, kPlastic);
  b.slab(plate, -0.4f, -0.34f, kPlate, kPlastic);
  return model;
}

Model bike_fork_upper_model(const BikeStyle&) {
  Model model = single_mesh(32, 0.4f);
  MeshBuilder b(model.meshes[0]);
  b.place(at_body(kForkUpperBody));
  V3 axis = fork_axis();
  V3 head = kForkUpperBody;
  // Triple clamps and the upper fork tubes.
  b.box(head + axis * 0.28f, {0.55f, 0.06f, 0.16f}, kMetal);
  b.box(head - axis * 0.3f, {0.55f, 0.07f, 0.18f}, kMetal);
  MeshBuilder coat(add_chrome_coat(model, 0.45f));
  coat.place(at_body(kForkUpperBody));
  for (float x : {-0.42f, 0.42f}) {
    V3 top = head + axis * 0.34f + V3{x, 0, 0};
    b.tube(top, top - axis * 1.15f, 0.1f, 0.1f, 10, kFork, true);
    coat.tube(top - axis * 0.1f, top - axis * 1.15f, 0.104f, 0.104f, 10, kFork, false);
  }
  // Handlebar from grip to grip, with its clamps and grips.
  V3 grip_l{-1.097f, 4.045f, 2.913f}, grip_r{1.097f, 4.045f, 2.913f};
  V3 bar_mid{0, 3.95f, 2.75f};
  b.tube(grip_l * 0.8f + bar_mid * 0.2f, bar_mid + V3{-0.3f, 0, 0}, 0.05f, 0.05f, 6, kSilver,
         false);
  b.tube(bar_mid + V3{-0.3f, 0, 0}, bar_mid + V3{0.3f, 0, 0}, 0.06f, 0.06f, 6, kSilver, false);
  b.tube(bar_mid + V3{0.3f, 0, 0}, grip_r * 0.8f + bar_mid * 0.2f, 0.05f, 0.05f, 6, kSilver, false);
  b.tube(grip_l, grip_l * 0.8f + bar_mid * 0.2f, 0.065f, 0.065f, 8, kDark, true);
  b.tube(grip_r * 0.8f + bar_mid * 0.2f, grip_r, 0.065f, 0.065f, 8, kDark, true);
  for (float x : {-0.18f, 0.18f}) b.box(V3{x, 3.55f, 2.55f}, {0.05f, 0.35f, 0.06f}, kMetal);
  // Front fender above the tyre, steered with the bars.
  b.slab(
      {{0.25f, 2.38f}, {1.0f, 2.52f}, {1.95f, 2.46f}, {1.9f, 2.36f}, {1.0f, 2.42f}, {0.3f, 2.28f}},
      -0.27f, 0.27f, kPlastic, kPlastic);
  return model;
}

Model bike_front_plate_model(const BikeStyle&) {
  Model model = single_mesh(16, 0.4f);
  MeshBuilder b(model.meshes[0]);
  b.place(at_body(kForkUpperBody));
  V3 axis = fork_axis();
  V3 centre = kForkUpperBody + axis * 0.1f + V3{0, 0, -0.32f};
  V3 across{0.4f, 0, 0};
  V3 up = axis * 0.38f;
  // Angled like the fork; the face looks forward (-z), where the number is read. Corners run
  // counter-clockwise seen from the face's own side, from the lower corner on the left there.
  b.quad(centre + across - up, centre - across - up, centre - across + up, centre + across + up,
         kPlate, false);
  b.quad(centre - across - up, centre + across - up, centre + across + up, centre - across + up,
         kPlastic, false);
  return model;
}

Model bike_fork_lower_model(const BikeStyle&) {
  Model model = single_mesh(24, 0.4f);
  MeshBuilder b(model.meshes[0]);
  b.place(at_body(kForkLowerBody));
  V3 axis = fork_axis();
  for (float x : {-0.42f, 0.42f}) {
    V3 foot = kFrontAxle + V3{x, -0.05f, 0.12f};
    b.tube(foot, foot + axis * 1.15f, 0.13f, 0.13f, 10, kDark, true);
    b.box(foot, {0.1f, 0.12f, 0.14f}, kMetal);  // axle lug
    // Fork guard in front of each leg, laid along the leg.
    b.place(along(foot - kForkLowerBody, axis));
    b.slab({{-0.22f, 0.05f}, {-0.18f, 0.9f}, {-0.1f, 0.95f}, {-0.12f, 0.0f}}, -0.1f, 0.1f, kPlastic,
           kPlastic);
    b.place(at_body(kForkLowerBody));
  }
  return model;
}

Model bike_swingarm_model(const BikeStyle&) {
  Model model = single_mesh(24, 0.4f);
  MeshBuilder b(model.meshes[0]);
  b.place(at_body(kSwingarmBody));
  for (float x : {-0.3f, 0.3f}) {
    b.tube(kSwingarmPivot + V3{x * 0.9f, 0, 0}, kRearAxle + V3{x * 1.05f, 0, 0}, 0.11f, 0.08f, 8,
           kSilver, true);
  }
  b.tube(kSwingarmPivot + V3{-0.3f, 0, 0}, kSwingarmPivot + V3{0.3f, 0, 0}, 0.1f, 0.1f, 8, kMetal,
         true);
  // Chain guide and the chain run along the left arm.
  b.box(V3{-0.38f, 1.0f, 5.4f}, {0.04f, 0.1f, 0.2f}, kDark);
  b.box(V3{-0.36f, 1.32f, 5.1f}, {0.02f, 0.03f, 0.95f}, kDark);
  b.box(V3{0, 1.4f, 4.9f}, {0.12f, 0.22f, 0.12f}, kMetal);  // linkage and shock bottom
  return model;
}

Model wheel_model(float ring, float tube, bool front, Detail detail) {
  const bool fine = detail == Detail::kFull;
  Model model = single_mesh(8, 0.4f);
  MeshBuilder b(model.meshes[0]);
  // The wheel texture: tread on the top half, rim, hub and spokes below.
  const UvRect tread{0.01f, 0.01f, 0.99f, 0.49f};
  const UvRect rim{0.01f, 0.51f, 0.49f, 0.74f};
  const UvRect hub{0.51f, 0.51f, 0.99f, 0.74f};
  const UvRect disc{0.01f, 0.76f, 0.49f, 0.99f};
  b.torus({0, 0, 0}, ring, tube, fine ? 24 : 14, fine ? 8 : 5, tread);
  float rim_radius = ring - tube + 0.03f;
  b.torus({0, 0, 0}, rim_radius, 0.045f, fine ? 24 : 14, fine ? 4 : 3, rim);
  b.tube({-0.28f, 0, 0}, {0.28f, 0, 0}, 0.12f, 0.12f, fine ? 10 : 6, hub, true);
  // Spokes are thinner than a pixel from afar: the coarse wheel leaves them out.
  for (int i = 0; fine && i < 18; ++i) {
    float a = 2 * kPi * i / 18;
    float side = (i % 2) ? 0.2f : -0.2f;
    b.tube({side, 0.1f * std::cos(a), 0.1f * std::sin(a)},
           {0, rim_radius * std::cos(a + 0.15f), rim_radius * std::sin(a + 0.15f)}, 0.012f, 0.012f,
           3, hub, false);
  }
  // Brake disc (and the rear sprocket) on the left.
  const int round = fine ? 16 : 10;
  b.tube({-0.24f, 0, 0}, {-0.22f, 0, 0}, front ? 0.4f : 0.33f, front ? 0.4f : 0.33f, round, disc,
         true);
  if (!front) b.tube({0.22f, 0, 0}, {0.25f, 0, 0}, 0.36f, 0.36f, round, hub, true);
  return model;
}

}  // namespace kit
