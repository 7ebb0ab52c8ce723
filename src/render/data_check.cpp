#include "render/data_check.h"

#include <strings.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "render/jm_format.h"
#include "render/model_cache.h"
#include "render/render_files.h"
#include "render/render_settings.h"
#include "render/texture_decode.h"

namespace br {
namespace {

// Link chains longer than this are reported as broken, as the loader does.
constexpr int kMaxLinks = 8;

void append(std::string& out, const char* format, ...) __attribute__((format(printf, 2, 3)));
void append(std::string& out, const char* format, ...) {
  char text[2048];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  out += text;
}

bool ends_with(const std::string& s, const char* suffix) {
  size_t n = std::strlen(suffix);
  return s.size() >= n && strcasecmp(s.c_str() + s.size() - n, suffix) == 0;
}

}  // namespace

DataCheck describe_texture(const std::string& requested) {
  DataCheck check;
  std::string name = !requested.empty() && requested[0] == '!' ? requested.substr(1) : requested;
  TextureDecodeOptions options;
  options.full_detail = true;
  options.compress_setting = render_settings().texture_compress;
  for (int links = 0;; ++links) {
    std::string error;
    auto decoded = decode_texture_file(name, options, &error);
    if (!decoded) {
      append(check.text, "%s: %s\n", name.c_str(), error.empty() ? "can't open" : error.c_str());
      return check;
    }
    if (decoded->link_target) {
      append(check.text, "%s: link to %s\n", name.c_str(), decoded->link_target->c_str());
      if (links == kMaxLinks) {
        append(check.text, "%s: too many links\n", name.c_str());
        return check;
      }
      name = *decoded->link_target;
      continue;
    }
    const Image& image = decoded->images[decoded->order.empty() ? 0 : decoded->order[0]];
    append(check.text, "%s: %s %dx%d", name.c_str(), image_format_name(decoded->format),
           decoded->source_width, decoded->source_height);
    if (image.width != decoded->source_width || image.height != decoded->source_height) {
      append(check.text, " (resampled to %dx%d)", image.width, image.height);
    }
    append(check.text, ", %d components, %d mip levels", image.components, image.levels);
    if (decoded->format == ImageFormat::kAnimation) {
      append(check.text, ", %zu frames, order of %zu, timing %d %d", decoded->images.size(),
             decoded->order.size(), decoded->timing[0], decoded->timing[1]);
    }
    WrapModes wrap = wrap_modes_for(name);
    append(check.text, ", wrap %s/%s%s\n", wrap.repeat_s ? "repeat" : "clamp",
           wrap.repeat_t ? "repeat" : "clamp", decoded->compress ? ", compressed" : "");
    // What the loader uploads at the configured detail, unless the name asks for full detail.
    Image reduced = image;
    int skipped = skip_levels(reduced, render_settings().model_texture_reduction);
    if (skipped > 0 && requested[0] != '!') {
      append(check.text, "  uploads from %dx%d at texture reduction %d\n", reduced.width,
             reduced.height, render_settings().model_texture_reduction);
    }
    if (!decoded->metadata.empty()) {
      append(check.text, "  metadata: %.900s\n", decoded->metadata.c_str());
    }
    for (const std::string& w : decoded->warnings) append(check.text, "  %s\n", w.c_str());
    if (!is_power_of_two(decoded->source_width) || !is_power_of_two(decoded->source_height)) {
      append(check.text, "  Warning: Non power of 2 texture '%.950s'\n", name.c_str());
    }
    check.ok = true;
    return check;
  }
}

DataCheck describe_model(const std::string& name) {
  DataCheck check;
  ModelDecodeResult result = read_model_file(name);
  if (!result.model) {
    append(check.text, "%s: %s\n", name.c_str(), result.error.c_str());
    return check;
  }
  for (const Model* v = result.model.get(); v; v = v->coarser.get()) {
    if (v == result.model.get()) {
      if (result.version == 0) {
        append(check.text, "%s: oldest form", name.c_str());
      } else {
        append(check.text, "%s: %s%d", name.c_str(), kJmMagicPrefix, result.version);
      }
      if (result.version == kJmSkinnedVersion) {
        append(check.text, ", %d bones, skeleton %s", v->bones, result.skeleton.c_str());
      }
    } else {
      append(check.text, "  detail variant %s, factor %g", v->name.c_str(), v->detail_factor);
    }
    append(check.text, ", %d meshes, %d vertices, %d triangles%s\n", mesh_count(*v),
           chain_vertex_count(*v), chain_triangle_count(*v),
           v->environment_mapped ? ", environment mapped" : "");
  }
  for (const std::string& w : result.warnings) append(check.text, "  %s\n", w.c_str());
  check.ok = true;
  return check;
}

DataCheck describe_data_file(const std::string& name) {
  if (ends_with(name, ".jm")) return describe_model(name);
  if (ends_with(name, ".pgm")) {
    DataCheck check;
    std::string error;
    auto image = decode_grey_file(name, &error);
    if (!image) {
      append(check.text, "%s: %s\n", name.c_str(), error.empty() ? "can't open" : error.c_str());
      return check;
    }
    append(check.text, "%s: PGM %dx%d, 1 component (shadow map)\n", name.c_str(), image->width,
           image->height);
    check.ok = true;
    return check;
  }
  return describe_texture(name);
}

std::vector<std::string> checkable_data_names() {
  std::vector<std::string> out;
  for (const std::string& file : data_file_names()) {
    std::string name = "@" + file;
    for (const char* suffix : {".scram", ".gz"}) {
      if (ends_with(name, suffix)) name.resize(name.size() - std::strlen(suffix));
    }
    bool wanted = false;
    for (const char* ext : {".png", ".j7", ".j6", ".ppm", ".pgm", ".seq", ".link", ".jm"}) {
      wanted |= ends_with(name, ext);
    }
    if (wanted && (out.empty() || strcasecmp(out.back().c_str(), name.c_str()) != 0)) {
      out.push_back(name);
    }
  }
  return out;
}

}  // namespace br
