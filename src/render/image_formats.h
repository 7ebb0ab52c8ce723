// Decoders for the picture formats the texture loader recognises by content. All take the
// file's bytes and return the image at its base level, or nothing with the reason in `error`.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "render/image.h"
#include "render/text_reader.h"

namespace br {

enum class ImageFormat { kJ7, kJ6, kPpm, kPgm, kAnimation, kLink, kPng };

// The first white-space-delimited token (at most 15 characters) names the format; anything
// unknown is handed to the PNG reader. Grey PGM files are recognised for the shadow-map
// reader only; the texture loader treats them as it treats any unknown token.
ImageFormat detect_image_format(std::span<const uint8_t> bytes);
const char* image_format_name(ImageFormat format);

// The game's predictive formats, from just after the "J6"/"J7" magic: comment lines allowed
// before the width and the height, exactly one white-space byte, then the stored pixels.
std::optional<Image> decode_predictive(TextReader& reader, int components, std::string* error);
// A whole J6 or J7 file.
std::optional<Image> decode_j6_j7(std::span<const uint8_t> bytes, std::string* error);

// "P6"/"P3" (RGB) and "P5"/"P2" (grey): binary or ASCII, comment lines between numbers,
// values scaled to 0..255.
std::optional<Image> decode_ppm(std::span<const uint8_t> bytes, std::string* error);
std::optional<Image> decode_pgm(std::span<const uint8_t> bytes, std::string* error);

// PNG through libpng, always 8-bit RGB or RGBA, at most kMaxTextureSide on a side. The texts of the
// image's text chunks are appended to `metadata`.
std::optional<Image> decode_png(std::span<const uint8_t> bytes, std::string* metadata,
                                std::string* error);

// A PNG read as 16-bit grey samples, rows top to bottom: grey images keep their samples
// (narrower ones scaled up to 16 bits), colour images are turned grey. Height maps use it.
struct GreySamples16 {
  int width = 0;
  int height = 0;
  std::vector<uint16_t> samples;
};
std::optional<GreySamples16> decode_png_grey16(std::span<const uint8_t> bytes, std::string* error);

// A link file's target: the text after "LINK", at most 1023 characters, trimmed.
std::optional<std::string> decode_link(std::span<const uint8_t> bytes);

}  // namespace br
