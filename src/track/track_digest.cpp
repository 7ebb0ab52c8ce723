#include "track/track_digest.h"

#include "files/data_file.h"
#include "files/digest.h"

namespace br {

void TrackDigester::feed(const void* data, size_t size) {
  ripemd160_update(&ctx_, size, static_cast<const uint8_t*>(data));
}

void TrackDigester::feed_file(const std::string& name) {
  DataFilePtr f(data_open(name.c_str(), "rb"));
  if (!f) return;
  uint8_t block[1024];
  size_t n;
  while ((n = data_read(f.get(), block, sizeof block)) > 0) feed(block, n);
}

TrackDigest TrackDigester::finish() {
  TrackDigest out{};
  ripemd160_digest(&ctx_, RIPEMD160_DIGEST_SIZE, out.data());
  return out;
}

std::string digest_hex(const TrackDigest& digest) {
  return hex_digits(digest);
}

}  // namespace br
