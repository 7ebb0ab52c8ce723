// The texture cache: one texture id per name for the life of the cache, aliases made by link
// files, animated textures and the texture memory counter. Uploading is done by a backend the
// renderer installs; without one, ids are only numbered, which is what headless runs need.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "render/image.h"

namespace br {

using TextureId = unsigned;

struct TextureUpload {
  const Image* image = nullptr;  // base level and chain
  bool repeat_s = false;
  bool repeat_t = false;
  bool compress = false;  // the compressed internal formats may be used
  bool mipmaps = true;    // false: the base level only, plain minification
};

struct TextureBackend {
  // Returns the new id (0 on failure) and the bytes the upload used.
  TextureId (*create)(const TextureUpload& upload, size_t* bytes_used);
  // Replaces the picture of an animated texture; same dimensions and chain as created.
  void (*update)(TextureId id, const Image& image);
  void (*destroy)(TextureId id);
};

// nullptr restores the numbering-only backend.
void set_texture_backend(const TextureBackend* backend);

enum TextureFlags {
  kTextureNoMipmaps = 1,
  kTextureRepeat = 2,  // repeats both ways whatever the name says
};

// A texture id, or 0 when the texture cannot be loaded. A leading "!" loads at full detail.
TextureId texture_load(const std::string& name, int flags = 0);
// Uploads a picture the game drew itself (a number plate) under `label`, with a full mipmap
// chain. The id lives until texture_release or texture_delete_all; 0 on failure.
TextureId texture_create(const std::string& label, const Image& image);
// Deletes one texture and forgets it.
void texture_release(TextureId id);
// A track begins to load: the textures and kept pictures asked for from now on belong to it.
// texture_delete_unused then deletes those that only earlier tracks asked for, so that memory
// does not grow from track to track. What the game loaded before its first track (fonts,
// overlay pictures) stays for the whole run.
void texture_begin_generation();
void texture_delete_unused();
// Counts texture_begin_generation (0 again after texture_delete_all): whoever keeps things
// made from the kept pictures knows from a change that the pictures may have gone.
int texture_generation();
// Advances animated textures; `now` in seconds.
void texture_animate(double now);
// Deletes every texture, image and animation.
void texture_delete_all();
size_t texture_memory_used();

// Pictures kept in memory without uploading: the terrain's tiles (with their chains, at full
// detail) and grey shadow maps. The pointer stays valid until texture_delete_all.
const Image* texture_load_terrain(const std::string& name);
const Image* texture_load_grey(const std::string& name);

// The name with its extension replaced by `suffix` ("dirt.png", "_tnorm.png" ->
// "dirt_tnorm.png"): where a picture's normal and specular maps live.
std::string texture_companion_name(const std::string& name, const char* suffix);

// Whether a loaded texture has any texel that is not fully opaque (false when unknown): opaque
// ones are drawn without alpha testing, which lets the driver test depth early.
bool texture_has_alpha(TextureId id);

// The metadata text of a loaded texture ("" when unknown).
std::string texture_metadata(TextureId id);

// Data texture names (with "@") that begin with `prefix`, in data-file-list order: the rider
// gear, bike graphics and wheel choices.
std::vector<std::string> texture_choice_list(const std::string& prefix);

}  // namespace br
