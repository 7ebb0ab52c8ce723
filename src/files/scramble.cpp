#include "files/scramble.h"

namespace br {

void scramble_bytes(ScrambleStream& stream, uint8_t* data, size_t size) {
  uint32_t s = stream.state;
  for (size_t i = 0; i < size; ++i) {
    s = s * 1664525u + 1013904223u;
    data[i] ^= static_cast<uint8_t>(s >> 24);
  }
  stream.state = s;
}

}  // namespace br
