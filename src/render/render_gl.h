// The OpenGL halves of the texture and model caches. Only the game links these; everything
// they upload or draw is decoded by the simulation library first.
#pragma once

#include "render/model.h"
#include "render/texture_cache.h"

namespace br {

// Installs the OpenGL texture and model backends; call with the context current, before the
// first texture or model is loaded.
void render_gl_install();
// The texture half alone (render_gl_install does both).
void install_gl_texture_backend();
// Puts the numbering-only texture backend and no model backend back (after the context goes).
void render_gl_uninstall();

// Draws a model placed at `position` (feet) as seen from `eye`: picks the level-of-detail
// variant for that distance, then draws its chain and, when it has reflective meshes and
// reflections are on, their pass.
void model_draw(Model& model, const float eye[3], const float position[3]);
// Draws one chain of meshes as it is, up to the first environment-mapped mesh.
void model_draw_chain(Model& model);
// The reflection pass: the meshes from the first environment-mapped one to the end of the
// chain, for the caller that has set up the environment mapping. Nothing when there are none.
void model_draw_environment_pass(Model& model);

// The ambient and diffuse colour of what is drawn next (its alpha is the opacity of a faded
// rider); meshes that light themselves put it back after them.
void model_set_material(const float rgba[4]);
// Normal and specular maps (units 1 and 2) for the next meshes; used with shader programs only.
void model_set_maps(TextureId normal_map, TextureId specular_map);
// The sky picture reflective meshes show, and whether reflections are drawn at all.
void model_set_environment(TextureId sky, bool reflections);
// After a run of models: no maps bound, the fixed-function pipeline current.
void model_draw_done();

// The skeleton's transforms for a skinned mesh, applied before the mesh is drawn: bone
// uniforms when shader programs are in use, otherwise the posed positions, normals and
// tangents written over the mesh's arrays from its rest copies. Null: the rest pose.
void set_model_skinning(void (*apply_bones)(Model& mesh));

}  // namespace br
