// The gzip member header (RFC 1952) in front of the raw deflate data of ".gz" files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace br {

// The length in bytes of the gzip header at the start of `data` (`size` bytes), or nothing
// when the bytes are not a gzip header we can read (wrong magic, method other than deflate,
// reserved flags) or when the header does not fit in them.
std::optional<size_t> gzip_header_length(const uint8_t* data, size_t size);

}  // namespace br
