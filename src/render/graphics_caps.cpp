#include "render/graphics_caps.h"

#include <cstdio>
#include <cstring>

namespace br {

GraphicsCaps& graphics_caps() {
  static GraphicsCaps caps;
  return caps;
}

bool extension_present(const std::string& list, const std::string& name) {
  if (name.empty()) return false;
  size_t at = 0;
  while ((at = list.find(name, at)) != std::string::npos) {
    bool starts = at == 0 || list[at - 1] == ' ';
    size_t end = at + name.size();
    bool ends = end == list.size() || list[end] == ' ';
    if (starts && ends) return true;
    at = end;
  }
  return false;
}

void parse_gl_version(const std::string& text, int* major, int* minor) {
  int a = 0, b = 0;
  if (std::sscanf(text.c_str(), "%d.%d", &a, &b) != 2) a = b = 0;
  *major = a;
  *minor = b;
}

void read_extension_flags(GraphicsCaps& caps) {
  const std::string& e = caps.extensions;
  caps.generate_mipmap = extension_present(e, "GL_SGIS_generate_mipmap");
  caps.framebuffer_object = extension_present(e, "GL_EXT_framebuffer_object");
  caps.multitexture = extension_present(e, "GL_ARB_multitexture");
  caps.fragment_shader = extension_present(e, "GL_ARB_fragment_shader");
  caps.vertex_shader = extension_present(e, "GL_ARB_vertex_shader");
}

bool shaders_possible(const GraphicsCaps& caps) {
  return caps.fragment_shader && caps.texture_units >= kShaderTextureUnits;
}

}  // namespace br
