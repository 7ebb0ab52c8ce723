#include "files/digest.h"

#include <nettle/ripemd160.h>

#include <algorithm>
#include <cstdio>

namespace br {

std::string hex_digits(std::span<const uint8_t> bytes) {
  static const char kDigits[] = "0123456789abcdef";
  std::string out;
  for (uint8_t b : bytes) {
    out.push_back(kDigits[b >> 4]);
    out.push_back(kDigits[b & 15]);
  }
  return out;
}

std::string ripemd160_hex(const void* data, size_t size) {
  ripemd160_ctx ctx;
  ripemd160_init(&ctx);
  ripemd160_update(&ctx, size, static_cast<const uint8_t*>(data));
  uint8_t digest[kDigestBytes];
  ripemd160_digest(&ctx, sizeof digest, digest);
  return hex_digits(digest);
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
  return hex_digits(digest);
}

}  // namespace br
