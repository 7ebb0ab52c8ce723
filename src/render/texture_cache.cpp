#include "render/texture_cache.h"

#include <strings.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>

#include "platform/log.h"
#include "render/render_files.h"
#include "render/render_settings.h"
#include "render/texture_decode.h"

namespace br {
namespace {

// Link files pointing at each other must not recurse for ever.
constexpr int kMaxLinkDepth = 8;

// What the game loads before its first track stays for the whole run (fonts, the overlay's
// pictures); everything later belongs to the tracks and bikes that ask for it.
constexpr int kRunGeneration = 0;

struct CacheEntry {
  TextureId id = 0;
  std::string name;
  int load_sequence = 0;
  size_t memory_bytes = 0;
  std::string metadata;
  int generation = kRunGeneration;  // the latest track generation that asked for it
  bool for_the_run = false;
  // Loaded with no detail reduction: it serves "!" requests as well as plain ones.
  bool full_detail = true;
  bool alpha = true;  // some texel is not fully opaque
};

bool any_translucent(const Image& image) {
  if (image.components != 4) return false;
  const size_t base = static_cast<size_t>(image.width) * image.height * 4;
  for (size_t i = 3; i < base && i < image.pixels.size(); i += 4) {
    if (image.pixels[i] != 255) return true;
  }
  return false;
}

struct Alias {
  std::string requested;
  std::string linked;
};

struct Animation {
  TextureId id = 0;
  std::vector<int> order;
  std::vector<Image> images;
  std::array<int, 2> timing{};
  int current = 0;  // index into `order`
};

struct KeptImage {
  std::string name;
  std::unique_ptr<Image> image;
  int generation = kRunGeneration;
  bool for_the_run = false;
};

struct TextureCache {
  std::vector<CacheEntry> entries;
  std::vector<Alias> aliases;
  std::vector<Animation> animations;
  std::vector<KeptImage> images;
  size_t memory_used = 0;
  int load_counter = 0;
  const TextureBackend* backend = nullptr;
  TextureId next_numbered_id = 1;
  int generation = kRunGeneration;
};

TextureCache& cache() {
  static TextureCache c = [] {
    TextureCache fresh;
    fresh.entries.reserve(16);
    fresh.aliases.reserve(16);
    fresh.animations.reserve(16);
    return fresh;
  }();
  return c;
}

TextureId numbered_create(const TextureUpload& upload, size_t* bytes_used) {
  const Image& image = *upload.image;
  *bytes_used = 0;
  for (int level = 0; level < (upload.mipmaps ? image.levels : 1); ++level) {
    *bytes_used += level_bytes(image, level);
  }
  return cache().next_numbered_id++;
}
void numbered_update(TextureId, const Image&) {}
void numbered_destroy(TextureId) {}
const TextureBackend kNumberedBackend = {numbered_create, numbered_update, numbered_destroy};

const TextureBackend& backend() {
  return cache().backend ? *cache().backend : kNumberedBackend;
}

std::string message(const char* format, const std::string& name) {
  char text[1200];
  std::snprintf(text, sizeof text, format, name.c_str());
  return text;
}

std::string resolve_alias(const std::string& name) {
  for (const Alias& a : cache().aliases) {
    if (a.requested == name) return a.linked;
  }
  return name;
}

// Exact name first, then a case-insensitive match with a warning: data names are case
// insensitive, but a mismatch usually means a typing slip in a data file. A full-detail request
// never takes a reduced copy. Asking for a texture again keeps it for the track being loaded.
TextureId find_cached(const std::string& name, bool full_detail) {
  TextureCache& c = cache();
  for (CacheEntry& e : c.entries) {
    if (e.name == name && (e.full_detail || !full_detail)) {
      e.generation = c.generation;
      return e.id;
    }
  }
  for (CacheEntry& e : c.entries) {
    if (!e.full_detail && full_detail) continue;
    if (strcasecmp(e.name.c_str(), name.c_str()) == 0) {
      render_message(message("Warning: case mismatch on '%.900s'", name));
      e.generation = c.generation;
      return e.id;
    }
  }
  return 0;
}

void add_entry(TextureId id, const std::string& name, size_t bytes, std::string metadata,
               bool full_detail, bool alpha) {
  TextureCache& c = cache();
  c.memory_used += bytes;
  CacheEntry e{id, name, ++c.load_counter, bytes, std::move(metadata)};
  e.full_detail = full_detail;
  e.alpha = alpha;
  e.generation = c.generation;
  e.for_the_run = c.generation == kRunGeneration;
  c.entries.push_back(std::move(e));
}

// Deletes entry i with its animation.
void forget_entry(size_t i) {
  TextureCache& c = cache();
  TextureId id = c.entries[i].id;
  backend().destroy(id);
  c.memory_used -= c.entries[i].memory_bytes;
  c.entries.erase(c.entries.begin() + static_cast<long>(i));
  // An animation left behind would go on updating a texture that no longer exists.
  std::erase_if(c.animations, [id](const Animation& a) { return a.id == id; });
}

TextureId load(const std::string& requested, int flags, int depth) {
  bool full_detail = !requested.empty() && requested[0] == '!';
  std::string name = resolve_alias(full_detail ? requested.substr(1) : requested);
  if (TextureId id = find_cached(name, full_detail)) return id;

  const RenderSettings& settings = render_settings();
  TextureDecodeOptions options;
  options.full_detail = full_detail;
  options.reduction = settings.model_texture_reduction;
  options.compress_setting = settings.texture_compress;
  std::string error;
  auto decoded = decode_texture_file(name, options, &error);
  if (!decoded) {
    if (!error.empty()) {
      render_message(error);
      kota::log_printf("Texture '%.900s' not loaded\n", name.c_str());
    } else if (settings.debug_level >= 1) {
      render_message(message("Can't open texture \"%.900s\"", name));
    }
    return 0;
  }
  for (const std::string& w : decoded->warnings) render_message(w);

  if (decoded->link_target) {
    std::string target = *decoded->link_target;
    if (!target.empty() && target[0] == '!') target.erase(0, 1);
    if (depth >= kMaxLinkDepth) {
      render_message(message("Too many links reading '%.900s'", name));
      return 0;
    }
    TextureId id = load(full_detail ? "!" + target : target, flags, depth + 1);
    if (id) cache().aliases.push_back({name, target});
    return id;
  }

  bool animated = decoded->format == ImageFormat::kAnimation;
  const Image& first = decoded->images[animated ? decoded->order[0] : 0];
  WrapModes wrap = wrap_modes_for(name);
  TextureUpload upload;
  upload.image = &first;
  upload.repeat_s = wrap.repeat_s || (flags & kTextureRepeat) != 0;
  upload.repeat_t = wrap.repeat_t || (flags & kTextureRepeat) != 0;
  upload.compress = decoded->compress;
  upload.mipmaps = (flags & kTextureNoMipmaps) == 0;
  size_t bytes = 0;
  TextureId id = backend().create(upload, &bytes);
  if (id == 0) return 0;
  if (!is_power_of_two(decoded->source_width) || !is_power_of_two(decoded->source_height)) {
    render_message(message("Warning: Non power of 2 texture '%.950s'", name));
  }
  bool alpha = false;
  for (const Image& frame : decoded->images) alpha = alpha || any_translucent(frame);
  add_entry(id, name, bytes, decoded->metadata, full_detail || decoded->levels_skipped == 0,
            alpha);
  TextureCache& c = cache();
  if (animated) {
    Animation anim;
    anim.id = id;
    anim.order = std::move(decoded->order);
    anim.images = std::move(decoded->images);
    anim.timing = decoded->timing;
    c.animations.push_back(std::move(anim));
  }
  return id;
}

const Image* keep_image(const std::string& name, std::optional<Image> image) {
  if (!image) return nullptr;
  TextureCache& c = cache();
  bool for_the_run = c.generation == kRunGeneration;
  c.images.push_back({name, std::make_unique<Image>(std::move(*image)), c.generation, for_the_run});
  return c.images.back().image.get();
}

const Image* find_kept(const std::string& name) {
  TextureCache& c = cache();
  for (KeptImage& k : c.images) {
    if (k.name == name) {
      k.generation = c.generation;
      return k.image.get();
    }
  }
  return nullptr;
}

bool is_texture_file_name(std::string name) {
  for (const char* suffix : {".scram", ".gz"}) {
    size_t n = std::strlen(suffix);
    if (name.size() > n && strcasecmp(name.c_str() + name.size() - n, suffix) == 0) {
      name.resize(name.size() - n);
    }
  }
  for (const char* ext : {".png", ".j7", ".j6", ".ppm", ".seq", ".link"}) {
    size_t n = std::strlen(ext);
    if (name.size() > n && strcasecmp(name.c_str() + name.size() - n, ext) == 0) return true;
  }
  return false;
}

}  // namespace

void set_texture_backend(const TextureBackend* b) {
  cache().backend = b;
}

TextureId texture_load(const std::string& name, int flags) {
  return load(name, flags, 0);
}

TextureId texture_create(const std::string& label, const Image& image) {
  Image chain = image;
  build_mip_chain(chain, MipRule::kAverage);
  TextureUpload upload;
  upload.image = &chain;
  size_t bytes = 0;
  TextureId id = backend().create(upload, &bytes);
  if (id == 0) return 0;
  add_entry(id, label, bytes, "", true, any_translucent(image));
  return id;
}

void texture_release(TextureId id) {
  TextureCache& c = cache();
  for (size_t i = 0; i < c.entries.size(); ++i) {
    if (c.entries[i].id == id) {
      forget_entry(i);
      return;
    }
  }
}

void texture_begin_generation() {
  cache().generation += 1;
}

int texture_generation() {
  return cache().generation;
}

void texture_delete_unused() {
  TextureCache& c = cache();
  for (size_t i = c.entries.size(); i-- > 0;) {
    const CacheEntry& e = c.entries[i];
    if (e.for_the_run || e.generation == c.generation) continue;
    kota::log_printf("deleting tid %d (%.900s)\n", static_cast<int>(e.id), e.name.c_str());
    forget_entry(i);
  }
  std::erase_if(c.images, [&c](const KeptImage& k) {
    bool unused = !k.for_the_run && k.generation != c.generation;
    if (unused) kota::log_printf("deleting image %.900s\n", k.name.c_str());
    return unused;
  });
  // Link files name other textures; their targets may be gone now.
  c.aliases.clear();
}

void texture_animate(double now) {
  for (Animation& anim : cache().animations) {
    // The first timing value is the frame period in milliseconds, the second an offset that
    // lets several copies of one animation run out of step.
    double period_ms = anim.timing[0] > 0 ? anim.timing[0] : 100;
    double frame = std::floor((now * 1000.0 + anim.timing[1]) / period_ms);
    int length = static_cast<int>(anim.order.size());
    int index = static_cast<int>(std::fmod(frame, length));
    if (index < 0) index += length;
    if (index == anim.current) continue;
    anim.current = index;
    backend().update(anim.id, anim.images[anim.order[index]]);
  }
}

void texture_delete_all() {
  TextureCache& c = cache();
  for (const CacheEntry& e : c.entries) {
    kota::log_printf("deleting tid %d (%.900s)\n", static_cast<int>(e.id), e.name.c_str());
    backend().destroy(e.id);
  }
  for (const KeptImage& k : c.images) kota::log_printf("deleting image %.900s\n", k.name.c_str());
  for (size_t i = 0; i < c.animations.size(); ++i) {
    kota::log_printf("deleting anim %d for tid %d\n", static_cast<int>(i),
                     static_cast<int>(c.animations[i].id));
  }
  c.entries.clear();
  c.aliases.clear();
  c.animations.clear();
  c.images.clear();
  c.memory_used = 0;
  c.generation = kRunGeneration;
}

size_t texture_memory_used() {
  return cache().memory_used;
}

const Image* texture_load_terrain(const std::string& name) {
  if (const Image* kept = find_kept(name)) return kept;
  TextureDecodeOptions options;
  options.full_detail = true;
  std::string error;
  auto decoded = decode_texture_file(name, options, &error);
  if (decoded && decoded->images.size() != 1) {
    error = message("Not a still picture: '%.900s'", name);
    decoded.reset();
  }
  if (!decoded) {
    if (!error.empty()) render_message(error);
    return nullptr;
  }
  for (const std::string& w : decoded->warnings) render_message(w);
  return keep_image(name, std::move(decoded->images[0]));
}

const Image* texture_load_grey(const std::string& name) {
  if (const Image* kept = find_kept(name)) return kept;
  std::string error;
  auto image = decode_grey_file(name, &error);
  if (!image && !error.empty()) render_message(error);
  return keep_image(name, std::move(image));
}

std::string texture_companion_name(const std::string& name, const char* suffix) {
  size_t slash = name.find_last_of('/');
  size_t dot = name.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) dot = name.size();
  return name.substr(0, dot) + suffix;
}

bool texture_has_alpha(TextureId id) {
  for (const CacheEntry& e : cache().entries) {
    if (e.id == id) return e.alpha;
  }
  return true;
}

std::string texture_metadata(TextureId id) {
  for (const CacheEntry& e : cache().entries) {
    if (e.id == id) return e.metadata;
  }
  return "";
}

std::vector<std::string> texture_choice_list(const std::string& prefix) {
  std::vector<std::string> out;
  for (const std::string& name : data_file_names()) {
    if (name.size() < prefix.size() || strncasecmp(name.c_str(), prefix.c_str(), prefix.size()))
      continue;
    if (!is_texture_file_name(name)) continue;
    std::string choice = "@" + name;
    for (const char* suffix : {".scram", ".gz"}) {
      size_t n = std::strlen(suffix);
      if (choice.size() > n && choice.compare(choice.size() - n, n, suffix) == 0)
        choice.resize(choice.size() - n);
    }
    if (out.empty() || strcasecmp(out.back().c_str(), choice.c_str()) != 0) out.push_back(choice);
  }
  return out;
}

}  // namespace br
