// The ".scram" transform: a keyed byte stream that is its own inverse.
//
// Byte i of a scrambled file is byte i of the plain file XOR the top eight bits of s(i+1),
// where s(0) = kScrambleKey and s(n+1) = s(n) x 1664525 + 1013904223 (mod 2^32). Applying
// the transform twice gives the original bytes, so the same stream scrambles (brdata
// scramble) and descrambles (data_open of a ".scram" variant). It keeps casual eyes and
// editors off a file; it is not encryption.
#pragma once

#include <cstddef>
#include <cstdint>

namespace br {

constexpr uint32_t kScrambleKey = 0x42524d52;  // "BRMR"

struct ScrambleStream {
  uint32_t state = kScrambleKey;
};

// Transforms `size` bytes in place, continuing the stream where the last call stopped.
void scramble_bytes(ScrambleStream& stream, uint8_t* data, size_t size);

}  // namespace br
