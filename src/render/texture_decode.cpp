#include "render/texture_decode.h"

#include <cstdio>

#include "render/render_files.h"
#include "render/render_settings.h"
#include "render/text_reader.h"

namespace br {
namespace {

// More frames or a longer playing order than this is a broken file, not an animation.
constexpr int64_t kMaxAnimationEntries = 4096;
// A texture file holds at most the largest picture stored raw (J7) and a header; more, or a
// compressed file that inflates to more, is not a texture.
constexpr size_t kMaxTextureFileBytes = kMaxTextureBytes + 65536;

std::optional<std::vector<uint8_t>> read_texture_file(const std::string& name) {
  return read_data_file(name, kMaxTextureFileBytes);
}

std::string format_message(const char* format, const std::string& argument) {
  char text[1200];
  std::snprintf(text, sizeof text, format, argument.c_str());
  return text;
}

std::string format_message(const char* format, int argument) {
  char text[200];
  std::snprintf(text, sizeof text, format, argument);
  return text;
}

bool fits_renderer(const Image& image, std::string* error) {
  if (image.width <= kMaxTextureSide && image.height <= kMaxTextureSide) return true;
  *error = format_message("Texture larger than %d pixels on a side", kMaxTextureSide);
  return false;
}

bool has_marker(const std::string& metadata, const char* marker) {
  return metadata.find(marker) != std::string::npos;
}

// Resampling, the computed chain and detail reduction: what every still picture and every
// frame goes through once decoded.
void finish_image(Image& image, MipRule rule, const TextureDecodeOptions& options,
                  DecodedTexture& out) {
  if (!is_power_of_two(image.width) || !is_power_of_two(image.height)) {
    image = resample_to_power_of_two(image);
  }
  build_mip_chain(image, rule);
  if (!options.full_detail) out.levels_skipped = skip_levels(image, options.reduction);
}

std::optional<Image> decode_still(const std::string& name, std::span<const uint8_t> bytes,
                                  ImageFormat format, DecodedTexture& out, std::string* error) {
  switch (format) {
    case ImageFormat::kJ6:
    case ImageFormat::kJ7:
    case ImageFormat::kPpm: {
      // Stored raw, so the file's size already bounded what was decoded.
      auto image =
          format == ImageFormat::kPpm ? decode_ppm(bytes, error) : decode_j6_j7(bytes, error);
      if (image && !fits_renderer(*image, error)) return std::nullopt;
      return image;
    }
    default:
      break;
  }
  auto image = decode_png(bytes, &out.metadata, error);
  if (!image) return std::nullopt;
  if (auto side = read_texture_file(name + ".info"))
    out.metadata.append(side->begin(), side->end());
  return image;
}

// "[mip_custom]": the artist's own chain below the base level. When it cannot be used the
// upper two thirds are still the picture, so the chain is computed from them instead.
bool take_custom_chain(const std::string& name, Image& picture, DecodedTexture& out) {
  if ((picture.height * 2) % 3 != 0) {
    out.warnings.push_back(
        format_message("Warning: Invalid height for custom MIP map in '%.950s'", name));
  }
  auto chain = extract_custom_chain(picture);
  if (chain && is_power_of_two(chain->width) && is_power_of_two(chain->height)) {
    picture = std::move(*chain);
    return true;
  }
  out.warnings.push_back(
      format_message("Warning: Custom MIP map levels don't fit in '%.950s'", name));
  int base_height = picture.height * 2 / 3;
  if (base_height >= 1) {
    picture.pixels.resize(static_cast<size_t>(picture.width) * base_height * picture.components);
    picture.height = base_height;
  }
  return false;
}

std::optional<Image> read_animation_frame(TextReader& r, int frame, std::string* error) {
  std::string kind = r.token(15);
  if (kind.empty()) {
    *error = "EOF while reading .seq";
    return std::nullopt;
  }
  std::string ignored;
  if (kind == "J7") {
    auto image = decode_predictive(r, 4, &ignored);
    if (!image) *error = format_message("Error reading .seq frame %d", frame);
    return image;
  }
  if (kind == "PNG") {
    std::string file = r.line();
    size_t a = file.find_first_not_of(" \t\r");
    if (a == std::string::npos) {
      file = r.line();
      a = file.find_first_not_of(" \t\r");
    }
    size_t b = file.find_last_not_of(" \t\r");
    file = a == std::string::npos ? std::string() : file.substr(a, b - a + 1);
    auto bytes = read_texture_file(file);
    if (file.empty() || !bytes) {
      *error = format_message("Can't read %.900s", file);
      return std::nullopt;
    }
    std::string metadata;
    auto image = decode_png(*bytes, &metadata, &ignored);
    if (!image) *error = format_message("Error reading .seq frame %d", frame);
    return image;
  }
  *error = format_message("Error reading .seq frame %d", frame);
  return std::nullopt;
}

bool decode_animation(std::span<const uint8_t> bytes, const TextureDecodeOptions& options,
                      DecodedTexture& out, std::string* error) {
  TextReader r(bytes);
  r.token(15);  // "ANIM1"
  int64_t header[4];
  for (int64_t& v : header) {
    r.skip_space_and_comments();
    auto n = r.integer();
    if (!n) {
      *error = "EOF while reading .seq";
      return false;
    }
    v = *n;
  }
  const int64_t order_length = header[0], image_count = header[1];
  if (order_length < 1 || image_count < 1 || order_length > kMaxAnimationEntries ||
      image_count > kMaxAnimationEntries) {
    *error = format_message("Error reading .seq frame %d", 0);
    return false;
  }
  out.timing = {static_cast<int>(header[2]), static_cast<int>(header[3])};
  for (int64_t i = 0; i < order_length; ++i) {
    r.skip_space_and_comments();
    auto index = r.integer();
    if (!index) {
      *error = "EOF while reading .seq";
      return false;
    }
    // An order entry naming a frame that does not exist would index past the frame list.
    if (*index < 0 || *index >= image_count) {
      *error = format_message("Error reading .seq frame %d", static_cast<int>(*index));
      return false;
    }
    out.order.push_back(static_cast<int>(*index));
  }
  size_t frame_bytes = 0;
  for (int i = 0; i < image_count; ++i) {
    auto image = read_animation_frame(r, i, error);
    if (!image) return false;
    // Each frame may be small and still come thousands of times.
    frame_bytes += image->pixels.size();
    if (frame_bytes > kMaxTextureBytes || !fits_renderer(*image, error)) {
      *error = format_message("Error reading .seq frame %d", i);
      return false;
    }
    if (i == 0) {
      out.source_width = image->width;
      out.source_height = image->height;
    } else if (image->width != out.source_width || image->height != out.source_height) {
      *error = "Width/height mismatch reading .seq";
      return false;
    } else if (image->components != out.images[0].components) {
      *error = "Depth mismatch reading .seq";
      return false;
    }
    out.images.push_back(std::move(*image));
  }
  for (Image& image : out.images) finish_image(image, MipRule::kAverage, options, out);
  return true;
}

}  // namespace

WrapModes wrap_modes_for(const std::string& name) {
  WrapModes wrap;
  if (name.find("-repeat.") != std::string::npos) wrap.repeat_s = wrap.repeat_t = true;
  if (name.find("-hrepeat.") != std::string::npos) wrap.repeat_s = true;
  if (name.find("-vrepeat.") != std::string::npos) wrap.repeat_t = true;
  return wrap;
}

std::optional<DecodedTexture> decode_texture_bytes(const std::string& name,
                                                   std::span<const uint8_t> bytes,
                                                   const TextureDecodeOptions& options,
                                                   std::string* error) {
  DecodedTexture out;
  out.format = detect_image_format(bytes);
  if (out.format == ImageFormat::kLink) {
    out.link_target = decode_link(bytes);
    if (!out.link_target) {
      *error = format_message("Empty link file '%.900s'", name);
      return std::nullopt;
    }
    return out;
  }
  if (out.format == ImageFormat::kAnimation) {
    if (!decode_animation(bytes, options, out, error)) return std::nullopt;
    return out;
  }
  // Grey pictures are shadow maps, not textures: like any unknown content they go to the PNG
  // reader, which refuses them.
  if (out.format == ImageFormat::kPgm) out.format = ImageFormat::kPng;
  auto image = decode_still(name, bytes, out.format, out, error);
  if (!image) return std::nullopt;
  out.source_width = image->width;
  out.source_height = image->height;
  bool is_png = out.format == ImageFormat::kPng;
  MipRule rule = is_png && has_marker(out.metadata, "[mip_max_alpha]") ? MipRule::kMaxAlpha
                                                                       : MipRule::kAverage;
  if (is_png && has_marker(out.metadata, "[mip_custom]") && take_custom_chain(name, *image, out)) {
    out.source_height = image->height;
    if (!options.full_detail) out.levels_skipped = skip_levels(*image, options.reduction);
  } else {
    finish_image(*image, rule, options, out);
  }
  out.compress =
      is_png &&
      (options.compress_setting == kCompressEveryPng ||
       (options.compress_setting == kCompressMarked && has_marker(out.metadata, "[compress]")));
  out.images.push_back(std::move(*image));
  return out;
}

std::optional<DecodedTexture> decode_texture_file(const std::string& name,
                                                  const TextureDecodeOptions& options,
                                                  std::string* error) {
  error->clear();
  auto bytes = read_texture_file(name);
  if (!bytes) return std::nullopt;
  return decode_texture_bytes(name, *bytes, options, error);
}

std::optional<Image> decode_grey_file(const std::string& name, std::string* error) {
  error->clear();
  // Shadow maps cover the whole ground, which may be larger than any texture.
  auto bytes = read_data_file(name);
  if (!bytes) return std::nullopt;
  return decode_pgm(*bytes, error);
}

}  // namespace br
