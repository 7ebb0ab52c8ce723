// The kit's building blocks: course lines, jump profiles, meshes and their model file, and
// the picture encoders.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <sstream>

#include "bike_style.h"
#include "image.h"
#include "jm_writer.h"
#include "mesh.h"
#include "png_reader.h"
#include "support/temp_dir.h"
#include "track_builder.h"

namespace kit {
namespace {

std::vector<std::pair<float, float>> circle(float cx, float cz, float r, int n) {
  std::vector<std::pair<float, float>> pts;
  for (int i = 0; i < n; ++i) {
    float a = 2 * kPi * i / n;
    pts.emplace_back(cx + r * std::cos(a), cz + r * std::sin(a));
  }
  return pts;
}

TEST(CourseLine, ClosedCircleHasItsLengthAndCurvature) {
  CourseLine line = make_course_line(circle(500, 500, 100, 16), true, 12);
  EXPECT_NEAR(line.length, 2 * kPi * 100, 5.0f);
  ASSERT_EQ(line.control_s.size(), 16u);
  for (const LinePoint& p : line.points) {
    EXPECT_NEAR(std::hypot(p.tx, p.tz), 1.0f, 1e-3f);
    // Counter-clockwise in x-z turns toward (-tz, tx): positive curvature of about 1/100.
    EXPECT_NEAR(p.curvature, 0.01f, 0.002f);
    EXPECT_NEAR(std::hypot(p.x - 500, p.z - 500), 100.0f, 1.0f);
  }
  // Distances wrap around a closed line.
  EXPECT_EQ(line_index_at(line, line.length + 3.0f), line_index_at(line, 3.0f));
  EXPECT_EQ(line_index_at(line, -1.0f), int(line.points.size()) - 1);
}

TEST(CourseLine, OpenLineRunsFromFirstToLastPoint) {
  CourseLine line = make_course_line({{0, 0}, {100, 0}, {200, 0}}, false, 10);
  EXPECT_NEAR(line.length, 200.0f, 0.5f);
  EXPECT_NEAR(line.points.front().x, 0.0f, 1e-3f);
  EXPECT_NEAR(line.points.back().x, 200.0f, 1e-3f);
  EXPECT_EQ(line_index_at(line, 500.0f), int(line.points.size()) - 1);
}

TEST(CourseLine, JumpProfilesRiseToTheirHeightAndLandBackOnTheLine) {
  CourseLine line = make_course_line({{0, 0}, {150, 0}, {300, 0}}, false, 10);
  add_tabletop(line, 50, 6, 20, 30, 30);
  auto y = [&](float s) { return line.points[size_t(line_index_at(line, s))].y; };
  EXPECT_FLOAT_EQ(y(49), 0.0f);
  EXPECT_NEAR(y(70), 6.0f, 0.05f);  // the lip
  EXPECT_NEAR(y(90), 6.0f, 0.05f);  // the table
  EXPECT_LT(y(60), 3.0f);           // the face steepens toward the lip
  EXPECT_NEAR(y(131), 0.0f, 0.05f);
  CourseLine gap = make_course_line({{0, 0}, {150, 0}, {300, 0}}, false, 10);
  add_double(gap, 50, 5, 20, 20, 30);
  auto g = [&](float s) { return gap.points[size_t(line_index_at(gap, s))].y; };
  EXPECT_NEAR(g(70), 5.0f, 0.05f);
  EXPECT_NEAR(g(90), 0.0f, 0.05f);  // down in the gap between the two
  EXPECT_NEAR(g(108), 5.0f, 0.05f);
}

// The signed volume of a closed mesh: positive when its faces wind counter-clockwise seen
// from outside, which is what back-face culling keeps.
float signed_volume(const Mesh& m) {
  double v = 0;
  for (const auto& t : m.triangles) {
    V3 a = m.vertices[size_t(t[0])].p, b = m.vertices[size_t(t[1])].p,
       c = m.vertices[size_t(t[2])].p;
    v += dot(a, cross(b, c)) / 6.0;
  }
  return float(v);
}

TEST(Mesh, SolidsFaceOutwardWithTheirVolume) {
  Mesh box, ball, can;
  MeshBuilder(box).box({1, 2, 3}, {1, 0.5f, 2}, {});
  EXPECT_NEAR(signed_volume(box), 2 * 1 * 4, 1e-3f);
  MeshBuilder(ball).ellipsoid({0, 1, 0}, {1, 1, 1}, 24, 12, {});
  EXPECT_NEAR(signed_volume(ball), 4.0f / 3.0f * kPi, 0.15f);
  MeshBuilder(can).tube({0, 0, 0}, {0, 2, 0}, 0.5f, 0.5f, 24, {}, true);
  EXPECT_NEAR(signed_volume(can), kPi * 0.25f * 2, 0.05f);
}

using Outline = std::vector<std::pair<float, float>>;

V3 face_normal(const Mesh& m, const std::array<int, 3>& t) {
  V3 a = m.vertices[size_t(t[0])].p, b = m.vertices[size_t(t[1])].p, c = m.vertices[size_t(t[2])].p;
  return normalise(cross(b - a, c - a));
}

// Whether (z, y) lies inside the outline, by counting the edges a ray toward +z crosses.
bool inside(const Outline& o, float z, float y) {
  bool in = false;
  for (size_t i = 0, j = o.size() - 1; i < o.size(); j = i++) {
    auto [zi, yi] = o[i];
    auto [zj, yj] = o[j];
    if ((yi > y) != (yj > y) && z < zi + (y - yi) * (zj - zi) / (yj - yi)) in = !in;
  }
  return in;
}

float outline_area(const Outline& o) {
  float sum = 0;
  for (size_t i = 0; i < o.size(); ++i) {
    sum += o[i].first * o[(i + 1) % o.size()].second - o[(i + 1) % o.size()].first * o[i].second;
  }
  return std::fabs(sum) / 2;
}

// Every triangle winds counter-clockwise seen from where its vertex normals point, and a
// step off its middle along that side leaves the solid.
void expect_faces_outward(const Mesh& m, const Outline& o, float x0, float x1) {
  for (const auto& t : m.triangles) {
    V3 face = face_normal(m, t);
    V3 middle{}, normals{};
    for (int k : t) {
      middle = middle + m.vertices[size_t(k)].p * (1.0f / 3);
      normals = normals + m.vertices[size_t(k)].n;
    }
    EXPECT_GT(dot(face, normals), 0.0f) << "winding against its normals at " << middle.z;
    V3 off = middle + face * 1e-3f;
    bool in_solid = off.x > x0 && off.x < x1 && inside(o, off.z, off.y);
    EXPECT_FALSE(in_solid) << "a face looks into the solid at z " << middle.z << ", y " << middle.y
                           << ", x " << middle.x;
  }
}

TEST(Mesh, SlabsFaceOutwardWhicheverWayTheirOutlineRunsAndWhereItBendsIn) {
  Outline plate{{4.3f, 2.45f}, {5.45f, 2.85f}, {5.55f, 3.18f}, {4.35f, 3.1f}};
  // A fender's curve: the lower edge bends in at its middle corner.
  Outline fender{{0.25f, 2.38f}, {1.0f, 2.52f}, {1.95f, 2.46f},
                 {1.9f, 2.36f},  {1.0f, 2.42f}, {0.3f, 2.28f}};
  for (Outline o : {plate, fender}) {
    for (int reversed = 0; reversed < 2; ++reversed) {
      if (reversed) std::reverse(o.begin(), o.end());
      for (auto [x0, x1] : {std::pair{0.34f, 0.4f}, std::pair{-0.4f, -0.34f}}) {
        Mesh m;
        MeshBuilder(m).slab(o, x0, x1, atlas::kPlate, atlas::kPlastic);
        SCOPED_TRACE(testing::Message()
                     << o.size() << " corners, reversed " << reversed << ", x from " << x0);
        expect_faces_outward(m, o, x0, x1);
        // The two faces cover the outline exactly once: nothing spills over a bend.
        EXPECT_NEAR(signed_volume(m), outline_area(o) * (x1 - x0), 1e-4f);
      }
    }
  }
}

// Along the viewer's right, seen from where each face looks (up is +y).
float u_rise_to_viewers_right(const Mesh& m, const std::array<int, 3>& t) {
  V3 right = cross(face_normal(m, t) * -1.0f, V3{0, 1, 0});
  const Vertex &a = m.vertices[size_t(t[0])], &b = m.vertices[size_t(t[1])],
               &c = m.vertices[size_t(t[2])];
  // u changes linearly over the flat face: fit it along `right` from the two edges.
  V3 e1 = b.p - a.p, e2 = c.p - a.p;
  float d1 = b.u - a.u, d2 = c.u - a.u;
  // Solve the gradient in the face's plane: g . e1 = d1, g . e2 = d2.
  float e11 = dot(e1, e1), e12 = dot(e1, e2), e22 = dot(e2, e2), det = e11 * e22 - e12 * e12;
  float s = (d1 * e22 - d2 * e12) / det, r = (d2 * e11 - d1 * e12) / det;
  return dot(e1 * s + e2 * r, right);
}

TEST(BikeParts, NumberPlatesFaceOutwardAndReadTheRightWayRound) {
  BikeStyle style = bike_style("crf450v2013");
  Model sides = bike_side_plates_model(style);
  int plate_faces = 0;
  for (const auto& t : sides.meshes[0].triangles) {
    const Vertex& a = sides.meshes[0].vertices[size_t(t[0])];
    EXPECT_GT(dot(face_normal(sides.meshes[0], t), a.n), 0.0f);
    if (std::fabs(a.n.x) < 0.99f) continue;  // the rim
    ++plate_faces;
    EXPECT_GT(u_rise_to_viewers_right(sides.meshes[0], t), 0.0f) << "mirrored on side " << a.n.x;
  }
  EXPECT_GT(plate_faces, 0);
  // The front plate shows its number forward (-z), read from in front of the bike.
  Model front = bike_front_plate_model(style);
  int numbered = 0;
  for (const auto& t : front.meshes[0].triangles) {
    const Vertex& a = front.meshes[0].vertices[size_t(t[0])];
    V3 face = face_normal(front.meshes[0], t);
    EXPECT_GT(dot(face, a.n), 0.0f);
    if (a.v < atlas::kPlate.v0 || a.v > atlas::kPlate.v1 || a.u < atlas::kPlate.u0) continue;
    ++numbered;
    EXPECT_LT(face.z, 0.0f) << "the number looks backward";
    EXPECT_GT(u_rise_to_viewers_right(front.meshes[0], t), 0.0f);
  }
  EXPECT_EQ(numbered, 2);
}

TEST(Mesh, ModelFileFlipsTextureRowsAndWeighsEachVertexToOneBone) {
  Model model;
  model.bones = 3;
  model.skeleton = "rider";
  model.meshes.emplace_back();
  MeshBuilder b(model.meshes[0]);
  b.bone(2);
  b.quad({0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {0, 0, 1, 0.25f}, false);
  std::istringstream in(encode_jm(model));
  std::string magic, skeleton;
  int bones, nv, nt;
  float shininess, alpha, r, g, bl;
  in >> magic >> bones >> skeleton >> shininess >> alpha >> r >> g >> bl >> nv >> nt;
  EXPECT_EQ(magic, "JM2");
  EXPECT_EQ(bones, 3);
  EXPECT_EQ(skeleton, "rider");
  ASSERT_EQ(nv, 4);
  ASSERT_EQ(nt, 2);
  float f[8], w[3];
  for (float& x : f) in >> x;
  for (float& x : w) in >> x;
  // The first corner takes the region's bottom row: v 0.25 in picture terms, 0.75 in the file.
  EXPECT_FLOAT_EQ(f[7], 0.75f);
  EXPECT_EQ(w[0] + w[1], 0.0f);
  EXPECT_EQ(w[2], 1.0f);
  EXPECT_NEAR(f[5], 1.0f, 1e-3f);  // the quad faces +z
}

TEST(Pictures, PngKeepsPixelsAlphaAndText) {
  Image img(4, 2, {10, 20, 30, 40});
  img.at(3, 1) = {255, 0, 128, 255};
  br_test::TempDir dir;
  br_test::write_file(dir.file("a.png"), encode_png(img, true, "[numberbackground:1,0,0]"));
  br_test::DecodedPng png = br_test::read_png(dir.file("a.png"));
  ASSERT_TRUE(png.ok);
  EXPECT_EQ(png.width, 4);
  EXPECT_EQ(png.at(0, 0)[3], 40);
  EXPECT_EQ(png.at(3, 1)[2], 128);
  EXPECT_EQ(png.text, "[numberbackground:1,0,0]");
  // Without alpha the fourth channel is opaque.
  br_test::write_file(dir.file("b.png"), encode_png(img, false));
  EXPECT_EQ(br_test::read_png(dir.file("b.png")).at(0, 0)[3], 255);
}

TEST(Pictures, PortableMapsHaveTheirHeaders) {
  EXPECT_EQ(encode_pgm({1, 2, 3, 4}, 2, 2), std::string("P5\n2 2\n255\n\x01\x02\x03\x04", 15));
  Image img(1, 1, {7, 8, 9, 255});
  EXPECT_EQ(encode_ppm(img), std::string("P6\n1 1\n255\n\x07\x08\x09", 14));
}

}  // namespace
}  // namespace kit
