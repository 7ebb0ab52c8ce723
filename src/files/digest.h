// RIPEMD-160 digests in their 40-digit lower-case hexadecimal form.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace br {

constexpr size_t kDigestBytes = 20;
constexpr size_t kReleaseDigestSpan = 1048576;  // bytes of "zzzz.saf" the release check reads

std::string ripemd160_hex(const void* data, size_t size);

// Two lower-case hexadecimal digits a byte.
std::string hex_digits(std::span<const uint8_t> bytes);

// The digest of the first `limit` bytes of the file at `path` (all of a shorter file), read
// in 256-byte blocks; nothing when the file cannot be opened.
std::optional<std::string> file_digest_hex(const std::string& path,
                                           size_t limit = kReleaseDigestSpan);

}  // namespace br
