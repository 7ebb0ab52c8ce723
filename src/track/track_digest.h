// The running RIPEMD-160 of a track load, fed with whole files as the data layer reads them.
#pragma once

#include <nettle/ripemd160.h>

#include <string>

#include "track/track.h"

namespace br {

class TrackDigester {
 public:
  TrackDigester() { ripemd160_init(&ctx_); }
  // Feeds the file's contents; a file that cannot be opened adds nothing.
  void feed_file(const std::string& name);
  void feed(const void* data, size_t size);
  TrackDigest finish();

 private:
  ripemd160_ctx ctx_;
};

std::string digest_hex(const TrackDigest& digest);

}  // namespace br
