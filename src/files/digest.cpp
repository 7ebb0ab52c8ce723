#include "files/digest.h"

#include <nettle/ripemd160.h>

#include <algorithm>
#include <cstdio>

namespace br {
namespace {

std::string hex_of(const uint8_t* bytes, size_t size) {
  static const char kDigits[] = "0123456789abcdef";
  std::string out;
  for (size_t i = 0; i < size; ++i) {
    out.push_back(kDigits[bytes[i] >> 4]);
    out.push_back(kDigits[bytes[i] & 15]);
  }
  return out;
}

}  // namespace

std::string ripemd160_hex(const void* data, size_t size) {
  ripemd160_ctx ctx;
  ripemd160_init(&ctx);
  ripemd160_update(&ctx, size, static_cast<const uint8_t*>(data));
  uint8_t digest[kDigestBytes];
  ripemd160_digest(&ctx, sizeof digest, digest);
  return hex_of(digest, sizeof digest);
}

std::optional<std::string> file_digest_hex(const std::string& path, size_t limit) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return std::nullopt;
  ripemd160_ctx ctx;
  ripemd160_init(&ctx);
  uint8_t block[256];
  size_t total = 0;
  while (total < limit) {
    size_t want = std::min(sizeof block, limit - total);
    size_t got = std::fread(block, 1, want, f);
    if (got == 0) break;
    ripemd160_update(&ctx, got, block);
    total += got;
  }
  std::fclose(f);
  uint8_t digest[kDigestBytes];
  ripemd160_digest(&ctx, sizeof digest, digest);
  return hex_of(digest, sizeof digest);
}

}  // namespace br
