// Every picture format the texture loader recognises by content, decoded from the bytes as a
// texture, as a grey shadow map and as a 16-bit height map. Animation frames and links name
// other files; those come from the data set behind the fuzz home.
#include <string>

#include "fuzz_support.h"
#include "render/image_formats.h"
#include "render/texture_decode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  br_fuzz::fuzz_home();
  std::span<const uint8_t> bytes(data, size);
  std::string error;
  br::TextureDecodeOptions options;
  options.reduction = size % 3;
  options.compress_setting = size % 3;
  br::decode_texture_bytes("@fuzz.png", bytes, options, &error);
  br::decode_pgm(bytes, &error);
  br::decode_png_grey16(bytes, &error);
  return 0;
}
