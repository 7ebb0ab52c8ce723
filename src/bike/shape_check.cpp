#include "bike/shape_check.h"

#include <nettle/ripemd160.h>

#include "files/digest.h"

namespace br {

std::string shape_files_digest(const std::vector<std::string>& contents) {
  ripemd160_ctx ctx;
  ripemd160_init(&ctx);
  for (const std::string& c : contents) {
    ripemd160_update(&ctx, c.size(), reinterpret_cast<const uint8_t*>(c.data()));
  }
  uint8_t digest[RIPEMD160_DIGEST_SIZE];
  ripemd160_digest(&ctx, sizeof digest, digest);
  return hex_digits(digest);
}

}  // namespace br
