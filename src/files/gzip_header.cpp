#include "files/gzip_header.h"

#include <cstring>

#include "files/little_endian.h"

namespace br {
namespace {

constexpr uint8_t kFlagHeaderCrc = 2;
constexpr uint8_t kFlagExtra = 4;
constexpr uint8_t kFlagName = 8;
constexpr uint8_t kFlagComment = 16;
constexpr uint8_t kFlagsReserved = 0xe0;
constexpr size_t kFixedPart = 10;  // magic 2, method 1, flags 1, time 4, extra flags 1, system 1

// Moves `pos` past a zero-terminated field; false when the terminator is missing.
bool skip_zero_terminated(const uint8_t* data, size_t size, size_t& pos) {
  const void* zero = std::memchr(data + pos, 0, size - pos);
  if (!zero) return false;
  pos = static_cast<size_t>(static_cast<const uint8_t*>(zero) - data) + 1;
  return true;
}

}  // namespace

std::optional<size_t> gzip_header_length(const uint8_t* data, size_t size) {
  if (size < kFixedPart) return std::nullopt;
  if (data[0] != 0x1f || data[1] != 0x8b || data[2] != 8) return std::nullopt;
  uint8_t flags = data[3];
  if (flags & kFlagsReserved) return std::nullopt;
  size_t pos = kFixedPart;
  if (flags & kFlagExtra) {
    if (size - pos < 2) return std::nullopt;
    size_t extra = read_u16_le(data + pos);
    pos += 2;
    if (size - pos < extra) return std::nullopt;
    pos += extra;
  }
  if ((flags & kFlagName) && !skip_zero_terminated(data, size, pos)) return std::nullopt;
  if ((flags & kFlagComment) && !skip_zero_terminated(data, size, pos)) return std::nullopt;
  if (flags & kFlagHeaderCrc) {
    if (size - pos < 2) return std::nullopt;
    pos += 2;
  }
  return pos;
}

}  // namespace br
