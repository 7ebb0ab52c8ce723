// A bounds-checked cursor over file bytes for the game's text-headed formats. Every read
// stops at the end of the buffer; nothing here can step outside the span it was given.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace br {

class TextReader {
 public:
  explicit TextReader(std::span<const uint8_t> bytes) : bytes_(bytes) {}

  size_t position() const { return pos_; }
  size_t remaining() const { return bytes_.size() - pos_; }
  bool at_end() const { return pos_ >= bytes_.size(); }
  std::span<const uint8_t> rest() const { return bytes_.subspan(pos_); }
  void advance(size_t count) { pos_ += count < remaining() ? count : remaining(); }

  void skip_space();
  // White space and "#" comment lines, repeated until neither is left.
  void skip_space_and_comments();

  // The next white-space-delimited token of at most `max_length` characters ("%15s"): a
  // longer token is cut there and the rest is left for the next read. Empty at the end.
  std::string token(size_t max_length = 1023);
  // "%d" / "%f": leading white space skipped; nothing consumed when no number is there.
  std::optional<int64_t> integer();
  std::optional<double> number();
  // The rest of the current line without its line feed; the line feed is consumed.
  std::string line(size_t max_length = 1023);
  // Exactly one white-space byte, as the binary image formats put before their pixels.
  bool one_space();

 private:
  std::span<const uint8_t> bytes_;
  size_t pos_ = 0;
};

inline bool is_space_byte(uint8_t c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

}  // namespace br
