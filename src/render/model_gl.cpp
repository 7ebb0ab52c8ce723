// Drawing models: display lists for meshes drawn unchanged, materials, the shader programs
// and the reflection pass, and the counters of the render statistics.
#include <epoxy/gl.h>

#include <algorithm>
#include <array>
#include <cmath>

#include "render/lens_flare.h"
#include "render/model_cache.h"
#include "render/render_gl.h"
#include "render/render_settings.h"
#include "render/render_stats.h"
#include "render/shaders.h"
#include "render/texture_cache.h"

namespace br {
namespace {

// OpenGL refuses specular exponents above 128.
constexpr float kMaxShininess = 128.0f;

void (*g_apply_bones)(Model&) = nullptr;

struct ModelDrawState {
  std::array<float, 4> material{1, 1, 1, 1};  // ambient and diffuse of what is being drawn
  TextureId normal_map = 0, specular_map = 0;
  TextureId environment = 0;
  bool reflections = true;
  std::array<int, kShaderSlots> bones_set{};  // per program: the bone count it was last given
};

ModelDrawState& draw_state() {
  static ModelDrawState s;
  return s;
}

// Shader programs read tangents and bone data from texture-coordinate sets 1 to 3.
void enable_shader_arrays(const Model& mesh, std::vector<float>& bone_index_floats) {
  if (mesh.tangents.size() >= static_cast<size_t>(mesh.vertex_count) * 3) {
    glClientActiveTexture(GL_TEXTURE0 + kTangentCoordSet);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glTexCoordPointer(3, GL_FLOAT, 0, mesh.tangents.data());
  }
  const size_t influences = static_cast<size_t>(mesh.vertex_count) * kMaxBoneInfluences;
  if (mesh.bones > 0 && mesh.bone_weights.size() >= influences &&
      mesh.bone_indices.size() >= influences) {
    bone_index_floats.assign(mesh.bone_indices.begin(), mesh.bone_indices.begin() + influences);
    glClientActiveTexture(GL_TEXTURE0 + kBoneWeightCoordSet);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glTexCoordPointer(4, GL_FLOAT, 0, mesh.bone_weights.data());
    glClientActiveTexture(GL_TEXTURE0 + kBoneIndexCoordSet);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glTexCoordPointer(4, GL_FLOAT, 0, bone_index_floats.data());
  }
  glClientActiveTexture(GL_TEXTURE0);
}

void disable_shader_arrays() {
  for (int set : {kTangentCoordSet, kBoneWeightCoordSet, kBoneIndexCoordSet}) {
    glClientActiveTexture(GL_TEXTURE0 + set);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  }
  glClientActiveTexture(GL_TEXTURE0);
}

void draw_arrays(const Model& mesh) {
  if (mesh.triangle_count == 0) return;
  const bool shaders = render_settings().shaders_in_use;
  if (render_settings().vertex_arrays) {
    std::vector<float> bone_index_floats;
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, mesh.positions.data());
    glNormalPointer(GL_FLOAT, 0, mesh.normals.data());
    glTexCoordPointer(2, GL_FLOAT, 0, mesh.texcoords.data());
    if (shaders) enable_shader_arrays(mesh, bone_index_floats);
    glDrawElements(GL_TRIANGLES, mesh.triangle_count * 3, GL_UNSIGNED_INT, mesh.indices.data());
    if (shaders) disable_shader_arrays();
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    return;
  }
  const bool tangents = shaders && mesh.tangents.size() >= mesh.positions.size();
  const bool skinned = shaders && mesh.bones > 0 &&
                       mesh.bone_weights.size() >= static_cast<size_t>(mesh.vertex_count) * 4 &&
                       mesh.bone_indices.size() >= static_cast<size_t>(mesh.vertex_count) * 4;
  glBegin(GL_TRIANGLES);
  for (int index : mesh.indices) {
    const size_t i = static_cast<size_t>(index);
    if (tangents) glMultiTexCoord3fv(GL_TEXTURE0 + kTangentCoordSet, &mesh.tangents[i * 3]);
    if (skinned) {
      const uint8_t* b = &mesh.bone_indices[i * 4];
      glMultiTexCoord4fv(GL_TEXTURE0 + kBoneWeightCoordSet, &mesh.bone_weights[i * 4]);
      glMultiTexCoord4f(GL_TEXTURE0 + kBoneIndexCoordSet, b[0], b[1], b[2], b[3]);
    }
    glNormal3fv(&mesh.normals[i * 3]);
    glTexCoord2fv(&mesh.texcoords[i * 2]);
    glVertex3fv(&mesh.positions[i * 3]);
  }
  glEnd();
}

void prepare_mesh(Model& mesh) {
  bool wanted = mesh.always_display_list || render_settings().shaders_in_use ||
                (mesh.bones == 0 && mesh.shininess >= 0.0f);
  if (!wanted || mesh.display_list != 0) return;
  GLuint list = glGenLists(1);
  if (list == 0) return;
  glNewList(list, GL_COMPILE);
  draw_arrays(mesh);
  glEndList();
  mesh.display_list = list;
}

void release_mesh(Model& mesh) {
  if (mesh.display_list != 0) glDeleteLists(mesh.display_list, 1);
  mesh.display_list = 0;
}

const ModelBackend kGlModels = {prepare_mesh, release_mesh};

int program_for(const Model& mesh) {
  if (!render_settings().shaders_in_use) return kShaderFixed;
  const ModelDrawState& s = draw_state();
  if (mesh.shininess == -1.0f) return s.normal_map ? kShaderNormEnv : kShaderEnv;
  if (s.normal_map && s.specular_map) return kShaderNormSpecLit;
  return s.normal_map ? kShaderNormLit : kShaderLit;
}

// Unskinned meshes tell a program that last drew a skinned one to stop skinning.
void prepare_program(const Model& mesh) {
  int slot = program_for(mesh);
  shader_use(slot);
  if (slot == kShaderFixed) return;
  int& set = draw_state().bones_set[static_cast<size_t>(slot)];
  if (mesh.bones > 0 && g_apply_bones) {
    set = 1;
  } else if (set != 0) {
    shader_set_bones(0, nullptr, nullptr, nullptr);
    set = 0;
  }
}

void draw_geometry(Model& mesh) {
  if (mesh.bones > 0 && g_apply_bones) g_apply_bones(mesh);
  if (mesh.display_list != 0) {
    glCallList(mesh.display_list);
  } else {
    draw_arrays(mesh);
  }
  RenderStats& stats = render_stats();
  stats.model_polygons.value += mesh.triangle_count;
  stats.model_vertices.value += mesh.vertex_count;
}

void draw_mesh(Model& mesh) {
  static const float kBlack[4] = {0, 0, 0, 1};
  const bool self_lit = mesh.shininess == -2.0f;
  if (self_lit) {
    // Drawn in its own colour whatever the sun does.
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, kBlack);
    glLightfv(GL_LIGHT0, GL_AMBIENT, mesh.colour.data());
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, kBlack);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, kBlack);
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 1.0f);
  } else {
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, mesh.colour.data());
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, std::clamp(mesh.shininess, 0.125f, kMaxShininess));
  }
  prepare_program(mesh);
  draw_geometry(mesh);
  if (self_lit) {
    // Back to the sun's light and to the material of what is being drawn, its opacity too.
    const RenderSettings& s = render_settings();
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, s.global_ambient.data());
    glLightfv(GL_LIGHT0, GL_AMBIENT, s.sun_ambient.data());
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, draw_state().material.data());
  }
}

// A reflective mesh: the sky's picture as the reflection, in the mesh's colour. Without shader
// programs the driver's sphere mapping stands in for the sky dome's projection.
void draw_reflective(Model& mesh) {
  const ModelDrawState& s = draw_state();
  const float colour[4] = {mesh.colour[0], mesh.colour[1], mesh.colour[2],
                           mesh.colour[3] * s.material[3]};
  glPushAttrib(GL_ENABLE_BIT | GL_TEXTURE_BIT | GL_CURRENT_BIT | GL_COLOR_BUFFER_BIT);
  glBindTexture(GL_TEXTURE_2D, s.environment);
  glDisable(GL_LIGHTING);
  // A coat is see-through by its colour's alpha: nothing of it may be cut out.
  glDisable(GL_ALPHA_TEST);
  glColor4fv(colour);
  if (colour[3] < 1.0f) {
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  }
  const bool fixed = program_for(mesh) == kShaderFixed;
  if (fixed) {
    glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
    glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
    glEnable(GL_TEXTURE_GEN_S);
    glEnable(GL_TEXTURE_GEN_T);
  }
  prepare_program(mesh);
  draw_geometry(mesh);
  glPopAttrib();
}

}  // namespace

void render_gl_install() {
  install_gl_texture_backend();
  set_model_backend(&kGlModels);
}

void render_gl_uninstall() {
  set_texture_backend(nullptr);
  set_model_backend(nullptr);
  lens_flare_forget();
}

void set_model_skinning(void (*apply_bones)(Model& mesh)) {
  g_apply_bones = apply_bones;
}

void model_set_material(const float rgba[4]) {
  std::copy_n(rgba, 4, draw_state().material.begin());
  glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE, rgba);
}

void model_set_maps(TextureId normal_map, TextureId specular_map) {
  ModelDrawState& s = draw_state();
  if (!render_settings().shaders_in_use) normal_map = specular_map = 0;
  if (normal_map != s.normal_map) {
    glActiveTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_2D, normal_map);
    s.normal_map = normal_map;
  }
  if (specular_map != s.specular_map) {
    glActiveTexture(GL_TEXTURE2);
    glBindTexture(GL_TEXTURE_2D, specular_map);
    s.specular_map = specular_map;
  }
  glActiveTexture(GL_TEXTURE0);
}

void model_set_environment(TextureId sky, bool reflections) {
  draw_state().environment = sky;
  draw_state().reflections = reflections;
}

void model_draw_chain(Model& model) {
  for (Model* mesh = &model; mesh; mesh = mesh->next.get()) {
    // Environment-mapped meshes and those after them belong to the reflection pass.
    if (mesh->shininess == -1.0f) return;
    draw_mesh(*mesh);
  }
}

void model_draw_environment_pass(Model& model) {
  Model* mesh = &model;
  while (mesh && mesh->shininess != -1.0f) mesh = mesh->next.get();
  for (; mesh; mesh = mesh->next.get()) {
    if (mesh->shininess == -1.0f) {
      draw_reflective(*mesh);
    } else {
      draw_mesh(*mesh);
    }
  }
}

void model_draw(Model& model, const float eye[3], const float position[3]) {
  float dx = position[0] - eye[0], dy = position[1] - eye[1], dz = position[2] - eye[2];
  float distance = std::sqrt(dx * dx + dy * dy + dz * dz);
  const RenderSettings& s = render_settings();
  // The variants belong to `model`, which we may change, so dropping the const is sound.
  Model& chosen =
      const_cast<Model&>(*choose_detail_variant(model, distance, s.lod_scale, s.lod_bias));
  model_draw_chain(chosen);
  const ModelDrawState& d = draw_state();
  if (chosen.environment_mapped && d.reflections && d.environment) {
    model_draw_environment_pass(chosen);
  }
}

void model_draw_done() {
  model_set_maps(0, 0);
  shader_use(kShaderFixed);
}

}  // namespace br
