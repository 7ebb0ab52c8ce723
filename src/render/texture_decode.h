// Files to textures in memory: format detection, the decoders, metadata markers, mipmap
// chains, resampling and detail reduction. No graphics context is needed.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "render/image.h"
#include "render/image_formats.h"

namespace br {

struct DecodedTexture {
  ImageFormat format = ImageFormat::kPng;
  // One image for a still picture; the frames of an animation. Each holds its mipmap chain,
  // already reduced by the detail setting.
  std::vector<Image> images;
  std::vector<int> order;       // animations: the playing order, indices into `images`
  std::array<int, 2> timing{};  // animations: frame period in ms, phase offset in ms
  int source_width = 0;         // as stored in the file, before resampling
  int source_height = 0;
  int levels_skipped = 0;                  // by detail reduction
  std::string metadata;                    // PNG text chunks followed by the ".info" side file
  bool compress = false;                   // may be uploaded compressed
  std::optional<std::string> link_target;  // link files: the texture to load instead
  std::vector<std::string> warnings;       // already worded as the player sees them
};

struct TextureDecodeOptions {
  bool full_detail = false;  // the name had "!": no detail reduction
  int reduction = 0;         // levels to skip otherwise
  int compress_setting = 0;  // TextureCompress
};

// Decodes the file `name` (a data or plain file name, no "!"). Link files are not followed:
// the result carries the target. Nothing, with the message in `error`, when the file cannot
// be read or parsed; `error` is empty when the file simply does not exist.
std::optional<DecodedTexture> decode_texture_file(const std::string& name,
                                                  const TextureDecodeOptions& options,
                                                  std::string* error);

// The same from bytes already read (tests, and the animation reader's inline frames).
std::optional<DecodedTexture> decode_texture_bytes(const std::string& name,
                                                   std::span<const uint8_t> bytes,
                                                   const TextureDecodeOptions& options,
                                                   std::string* error);

// A grey picture (PGM) for shadow maps, base level only.
std::optional<Image> decode_grey_file(const std::string& name, std::string* error);

// Wrap modes follow the name: "-hrepeat.", "-vrepeat." or "-repeat." (both ways).
struct WrapModes {
  bool repeat_s = false;
  bool repeat_t = false;
};
WrapModes wrap_modes_for(const std::string& name);

}  // namespace br
