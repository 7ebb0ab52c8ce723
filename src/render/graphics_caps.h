// What the graphics driver offers, read once after the window's context exists: its identity
// for the log, the optional techniques it supports, and what this run settled on using.
#pragma once

#include <string>

namespace br {

struct GraphicsCaps {
  std::string vendor = "NULL", renderer = "NULL", version = "NULL", extensions = "NULL";
  int major = 0, minor = 0;         // from the version text
  bool generate_mipmap = false;     // GL_SGIS_generate_mipmap
  bool framebuffer_object = false;  // GL_EXT_framebuffer_object
  bool multitexture = false;        // GL_ARB_multitexture
  bool fragment_shader = false;     // GL_ARB_fragment_shader
  bool vertex_shader = false;       // GL_ARB_vertex_shader
  int texture_units = 1;            // asked only with multitexturing
};

// The run's record; graphics_probe fills it (game only).
GraphicsCaps& graphics_caps();

// An extension counts only as a whole blank-separated word of the list, so a longer name that
// merely starts with it does not switch it on.
bool extension_present(const std::string& list, const std::string& name);

// Major and minor version from a driver's version text ("2.1 Mesa 22.3.6"); 0.0 when it does
// not start with two numbers.
void parse_gl_version(const std::string& text, int* major, int* minor);

// The flags that follow from the extension list.
void read_extension_flags(GraphicsCaps& caps);

// Shader programs need the fragment-shader extension and room for the colour, normal and
// specular maps of a mesh and the weights and bones of a skinned one.
constexpr int kShaderTextureUnits = 4;
bool shaders_possible(const GraphicsCaps& caps);

}  // namespace br
