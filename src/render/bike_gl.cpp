// A bike and its rider drawn part by part at the poses of the physics bodies that carry them.
#include <epoxy/gl.h>

#include <algorithm>

#include "bike/bike.h"
#include "render/render_gl.h"
#include "render/render_stats.h"
#include "render/rider_pose.h"
#include "render/scene_draw.h"
#include "render/shaders.h"
#include "render/view_cameras.h"

namespace br {
namespace {

// Where the plate pictures sit in the bike's own picture: the side and front plate models
// are mapped there, and the number plate is stretched over that area instead.
constexpr float kPlateU0 = 0.51f, kPlateU1 = 0.99f, kPlateV0 = 0.51f, kPlateV1 = 0.74f;

// The bones of the rider being drawn, for the skinning hook.
RiderBones g_bones;

// On the graphics card when shader programs draw the rider, else on the processor.
void apply_rider_bones(Model& mesh) {
  if (shader_current() == kShaderFixed) {
    skin_mesh(mesh, g_bones);
    return;
  }
  constexpr int kCount = std::min(static_cast<int>(kRiderBoneCount), kShaderMaxBones);
  float centres[kCount * 3] = {};
  float translations[kCount * 3];
  float rotations[kCount * 9];
  for (int b = 0; b < kCount; ++b) {
    const BoneMatrix& m = g_bones[static_cast<size_t>(b)];
    for (int r = 0; r < 3; ++r) {
      translations[b * 3 + r] = m[static_cast<size_t>(r * 4 + 3)];
      for (int c = 0; c < 3; ++c) rotations[b * 9 + c * 3 + r] = m[static_cast<size_t>(r * 4 + c)];
    }
  }
  shader_set_bones(kCount, centres, translations, rotations);
}

GLuint g_bound = 0;
bool g_opaque = true;  // the opaque pass: alpha testing only for pictures with cut-outs
void bind(TextureId id) {
  if (id == g_bound) return;
  glBindTexture(GL_TEXTURE_2D, id);
  g_bound = id;
  render_stats().texture_changes.value += 1;
  if (!g_opaque) return;
  if (texture_has_alpha(id)) {
    glEnable(GL_ALPHA_TEST);
  } else {
    glDisable(GL_ALPHA_TEST);
  }
}

void push_pose(const BodyPose& p) {
  const auto& r = p.rotation;
  const float m[16] = {r[0], r[3], r[6], 0, r[1],          r[4],          r[7],          0,
                       r[2], r[5], r[8], 0, p.position[0], p.position[1], p.position[2], 1};
  glPushMatrix();
  glMultMatrixf(m);
}

void draw_part(Model* model, TextureId texture, const BodyPose& pose, const float eye[3],
               TextureId normal_map = 0, TextureId specular_map = 0) {
  if (!model) return;
  bind(texture);
  model_set_maps(normal_map, specular_map);
  push_pose(pose);
  model_draw(*model, eye, pose.position.data());
  glPopMatrix();
}

void draw_plate(Model* model, TextureId plate, const BodyPose& pose, const float eye[3]) {
  if (!model || plate == 0) return;
  glMatrixMode(GL_TEXTURE);
  glPushMatrix();
  glLoadIdentity();
  glScalef(1.0f / (kPlateU1 - kPlateU0), 1.0f / (kPlateV1 - kPlateV0), 1);
  glTranslatef(-kPlateU0, -kPlateV0, 0);
  glMatrixMode(GL_MODELVIEW);
  draw_part(model, plate, pose, eye);
  glMatrixMode(GL_TEXTURE);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
}

}  // namespace

void install_rider_skinning() {
  set_model_skinning(apply_rider_bones);
}

void draw_bike(World& w, Bike& bike, const float eye[3], float opacity, bool first_person) {
  g_bound = static_cast<GLuint>(-1);
  g_opaque = opacity >= 1.0f;
  const float colour[4] = {1, 1, 1, opacity};
  model_set_material(colour);
  const BikeParts& parts = bike.parts;
  const auto& m = parts.models;
  const auto& t = parts.textures;
  const auto& nm = parts.normal_maps;
  const auto& sm = parts.specular_maps;
  BodyPose frame = body_pose(bike.bodies[kBodyFrame]);
  BodyPose fork_upper = body_pose(bike.bodies[kBodyForkUpper]);
  BodyPose rider = body_pose(bike.bodies[kBodyRider]);
  draw_part(m[kFrameModel], t[kTextureBike], frame, eye, nm[kTextureBike], sm[kTextureBike]);
  draw_part(m[kForkUpperModel], t[kTextureBike], fork_upper, eye, nm[kTextureBike],
            sm[kTextureBike]);
  draw_part(m[kForkLowerModel], t[kTextureBike], body_pose(bike.bodies[kBodyForkLower]), eye,
            nm[kTextureBike], sm[kTextureBike]);
  draw_part(m[kSwingarmModel], t[kTextureBike], body_pose(bike.bodies[kBodySwingarm]), eye,
            nm[kTextureBike], sm[kTextureBike]);
  draw_part(m[kFrontWheelModel], t[kTextureWheels], body_pose(bike.bodies[kBodyFrontWheel]), eye,
            nm[kTextureWheels], sm[kTextureWheels]);
  draw_part(m[kRearWheelModel], t[kTextureWheels], body_pose(bike.bodies[kBodyRearWheel]), eye,
            nm[kTextureWheels], sm[kTextureWheels]);
  draw_plate(m[kSidePlatesModel], parts.number_plate, frame, eye);
  draw_plate(m[kFrontPlateModel], parts.number_plate, fork_upper, eye);

  bool hide = first_person && w.settings.hide_rider.text() == "Yes";
  if (!hide) {
    g_bones = solve_rider_pose(bike.entry, rider, fork_upper, frame).bones;
    // From his own eyes the rider sees his limbs, not the inside of his helmet.
    Model* body = first_person ? m[kRiderFirstPersonModel] : m[kRiderBodyModel];
    if (first_person && !body) body = m[kRiderBodyModel];
    draw_part(body, t[kTextureRider], rider, eye, nm[kTextureRider], sm[kTextureRider]);
    if (!first_person) {
      draw_part(m[kHeadModel], t[kTextureHead], rider, eye, nm[kTextureHead], sm[kTextureHead]);
      bind(parts.number_plate);
      draw_part(m[kRiderPlateModel], parts.number_plate, rider, eye);
    }
  }
  const float white[4] = {1, 1, 1, 1};
  model_set_material(white);
  model_set_maps(0, 0);
  glBindTexture(GL_TEXTURE_2D, 0);
  glEnable(GL_ALPHA_TEST);
  g_bound = 0;
}

}  // namespace br
