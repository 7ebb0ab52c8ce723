// Uploading decoded textures: internal format and compression, wrap and filtering, the edge
// colour as border, and the bytes every level takes.
#include <epoxy/gl.h>

#include <unordered_map>

#include "platform/log.h"
#include "render/render_gl.h"
#include "render/texture_cache.h"

namespace br {
namespace {

// Levels uploaded per texture, so animation frames replace exactly those.
std::unordered_map<GLuint, int>& uploaded_levels() {
  static std::unordered_map<GLuint, int> levels;
  return levels;
}

void clear_gl_errors() {
  for (int i = 0; i < 16 && glGetError() != GL_NO_ERROR; ++i) {
  }
}

size_t level_memory(GLint level, GLenum internal_format, const Image& image) {
  if (internal_format == GL_COMPRESSED_RGB || internal_format == GL_COMPRESSED_RGBA) {
    GLint compressed = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_COMPRESSED, &compressed);
    if (compressed) {
      GLint size = 0;
      glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_COMPRESSED_IMAGE_SIZE, &size);
      return static_cast<size_t>(size);
    }
  }
  return level_bytes(image, level);
}

TextureId gl_create(const TextureUpload& upload, size_t* bytes_used) {
  const Image& image = *upload.image;
  *bytes_used = 0;
  if (image.components != 3 && image.components != 4) return 0;
  clear_gl_errors();
  GLuint id = 0;
  glGenTextures(1, &id);
  if (id == 0) return 0;
  glBindTexture(GL_TEXTURE_2D, id);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);

  const GLenum format = image.components == 4 ? GL_RGBA : GL_RGB;
  GLenum internal_format = format;
  // Compressed formats are only trusted from drivers of version 2 or later.
  if (upload.compress && epoxy_gl_version() >= 20) {
    internal_format = image.components == 4 ? GL_COMPRESSED_RGBA : GL_COMPRESSED_RGB;
  }

  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, upload.repeat_s ? GL_REPEAT : GL_CLAMP);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, upload.repeat_t ? GL_REPEAT : GL_CLAMP);
  // Old drivers without clamp-to-edge blur the border into clamped edges; nearest filtering
  // keeps those edges clean.
  bool nearest = false;
  clear_gl_errors();
  if (!upload.repeat_s) glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  if (!upload.repeat_t) glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  if (glGetError() != GL_NO_ERROR) nearest = true;
  GLint min_filter;
  if (upload.mipmaps) {
    min_filter = nearest ? GL_NEAREST_MIPMAP_NEAREST : GL_LINEAR_MIPMAP_NEAREST;
  } else {
    min_filter = nearest ? GL_NEAREST : GL_LINEAR;
  }
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, nearest ? GL_NEAREST : GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, min_filter);

  const int levels = upload.mipmaps ? image.levels : 1;
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, levels - 1);
  for (int level = 0; level < levels; ++level) {
    glTexImage2D(GL_TEXTURE_2D, level, static_cast<GLint>(internal_format),
                 mip_dimension(image.width, level), mip_dimension(image.height, level), 0, format,
                 GL_UNSIGNED_BYTE, image.pixels.data() + level_offset(image, level));
    *bytes_used += level_memory(level, internal_format, image);
  }
  if (image.components == 3) {
    auto border = edge_border_colour(image);
    glTexParameterfv(GL_TEXTURE_2D, GL_TEXTURE_BORDER_COLOR, border.data());
  }
  GLenum error = glGetError();
  if (error != GL_NO_ERROR) {
    kota::log_printf("Texture upload failed with GL error 0x%x\n", error);
    glDeleteTextures(1, &id);
    *bytes_used = 0;
    return 0;
  }
  uploaded_levels()[id] = levels;
  return id;
}

void gl_update(TextureId id, const Image& image) {
  auto known = uploaded_levels().find(id);
  if (known == uploaded_levels().end()) return;
  glBindTexture(GL_TEXTURE_2D, id);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  const GLenum format = image.components == 4 ? GL_RGBA : GL_RGB;
  for (int level = 0; level < known->second && level < image.levels; ++level) {
    glTexSubImage2D(GL_TEXTURE_2D, level, 0, 0, mip_dimension(image.width, level),
                    mip_dimension(image.height, level), format, GL_UNSIGNED_BYTE,
                    image.pixels.data() + level_offset(image, level));
  }
}

void gl_destroy(TextureId id) {
  GLuint name = id;
  glDeleteTextures(1, &name);
  uploaded_levels().erase(id);
}

const TextureBackend kGlTextures = {gl_create, gl_update, gl_destroy};

}  // namespace

void install_gl_texture_backend() {
  set_texture_backend(&kGlTextures);
}

}  // namespace br
