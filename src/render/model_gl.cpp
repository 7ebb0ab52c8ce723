// Drawing models: display lists for meshes drawn unchanged, materials, and the counters of
// the render statistics.
#include <epoxy/gl.h>

#include <algorithm>
#include <cmath>

#include "render/model_cache.h"
#include "render/render_gl.h"
#include "render/render_settings.h"
#include "render/render_stats.h"
#include "render/texture_cache.h"

namespace br {
namespace {

// OpenGL refuses specular exponents above 128.
constexpr float kMaxShininess = 128.0f;

void (*g_apply_bones)(Model&) = nullptr;

void draw_arrays(const Model& mesh) {
  if (mesh.triangle_count == 0) return;
  if (render_settings().vertex_arrays) {
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, mesh.positions.data());
    glNormalPointer(GL_FLOAT, 0, mesh.normals.data());
    glTexCoordPointer(2, GL_FLOAT, 0, mesh.texcoords.data());
    glDrawElements(GL_TRIANGLES, mesh.triangle_count * 3, GL_UNSIGNED_INT, mesh.indices.data());
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    return;
  }
  glBegin(GL_TRIANGLES);
  for (int index : mesh.indices) {
    glNormal3fv(&mesh.normals[index * 3]);
    glTexCoord2fv(&mesh.texcoords[index * 2]);
    glVertex3fv(&mesh.positions[index * 3]);
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

void draw_mesh(Model& mesh) {
  static const float kBlack[4] = {0, 0, 0, 1};
  static const float kWhite[4] = {1, 1, 1, 1};
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
  if (mesh.bones > 0 && g_apply_bones) g_apply_bones(mesh);
  if (mesh.display_list != 0) {
    glCallList(mesh.display_list);
  } else {
    draw_arrays(mesh);
  }
  if (self_lit) {
    const RenderSettings& s = render_settings();
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, s.global_ambient.data());
    glLightfv(GL_LIGHT0, GL_AMBIENT, s.sun_ambient.data());
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, kWhite);
  }
  RenderStats& stats = render_stats();
  stats.model_polygons.value += mesh.triangle_count;
  stats.model_vertices.value += mesh.vertex_count;
}

}  // namespace

void render_gl_install() {
  install_gl_texture_backend();
  set_model_backend(&kGlModels);
}

void render_gl_uninstall() {
  set_texture_backend(nullptr);
  set_model_backend(nullptr);
}

void set_model_skinning(void (*apply_bones)(Model& mesh)) {
  g_apply_bones = apply_bones;
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
  for (; mesh; mesh = mesh->next.get()) draw_mesh(*mesh);
}

void model_draw(Model& model, const float eye[3], const float position[3]) {
  float dx = position[0] - eye[0], dy = position[1] - eye[1], dz = position[2] - eye[2];
  float distance = std::sqrt(dx * dx + dy * dy + dz * dz);
  const RenderSettings& s = render_settings();
  // The variants belong to `model`, which we may change, so dropping the const is sound.
  model_draw_chain(
      const_cast<Model&>(*choose_detail_variant(model, distance, s.lod_scale, s.lod_bias)));
}

}  // namespace br
