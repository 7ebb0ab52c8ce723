// Reading the driver's identity and extensions, and settling which optional techniques the
// run uses.
#include <epoxy/gl.h>

#include "platform/log.h"
#include "render/graphics_caps.h"
#include "render/graphics_setup.h"
#include "render/render_settings.h"
#include "render/shaders.h"

namespace br {
namespace {

std::string gl_text(GLenum what) {
  const GLubyte* s = glGetString(what);
  return s ? reinterpret_cast<const char*>(s) : "NULL";
}

}  // namespace

void graphics_probe() {
  GraphicsCaps& caps = graphics_caps();
  caps = GraphicsCaps{};
  caps.vendor = gl_text(GL_VENDOR);
  caps.renderer = gl_text(GL_RENDERER);
  caps.version = gl_text(GL_VERSION);
  caps.extensions = gl_text(GL_EXTENSIONS);
  parse_gl_version(caps.version, &caps.major, &caps.minor);
  read_extension_flags(caps);
  if (caps.multitexture) {
    GLint units = 1;
    glGetIntegerv(GL_MAX_TEXTURE_UNITS, &units);
    caps.texture_units = units;
    kota::log_printf("%d texture units\n", units);
  }
  kota::log_printf("GL_VENDOR: %s\n", caps.vendor.c_str());
  kota::log_printf("GL_RENDERER: %s\n", caps.renderer.c_str());
  kota::log_printf("GL_VERSION: %s\n", caps.version.c_str());
  kota::log_printf("GL_EXTENSIONS: %s\n", caps.extensions.c_str());
}

void settle_graphics(const GraphicsChoices& choices) {
  const GraphicsCaps& caps = graphics_caps();
  RenderSettings& r = render_settings();
  r.ground_mipmaps = choices.ground_mipmaps && caps.generate_mipmap;
  r.shaders_in_use = false;
  if (choices.use_shader && shaders_possible(caps)) r.shaders_in_use = shaders_build();
  if (!r.shaders_in_use) shaders_release();
  r.terrain_shaders = r.shaders_in_use && (choices.render_texture == kGroundMethodShadersCopy ||
                                           choices.render_texture == kGroundMethodShadersDirect);
}

}  // namespace br
