#include "render/text_reader.h"

#include <cerrno>
#include <cstdlib>

namespace br {
namespace {

// Longest number text we accept; longer runs of digits are not a number any file needs.
constexpr size_t kMaxNumberText = 63;

bool is_number_byte(uint8_t c) {
  return (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.' || c == 'e' || c == 'E';
}

}  // namespace

void TextReader::skip_space() {
  while (pos_ < bytes_.size() && is_space_byte(bytes_[pos_])) ++pos_;
}

void TextReader::skip_space_and_comments() {
  for (;;) {
    skip_space();
    if (pos_ >= bytes_.size() || bytes_[pos_] != '#') return;
    while (pos_ < bytes_.size() && bytes_[pos_] != '\n') ++pos_;
  }
}

std::string TextReader::token(size_t max_length) {
  skip_space();
  std::string out;
  while (pos_ < bytes_.size() && !is_space_byte(bytes_[pos_]) && out.size() < max_length) {
    out.push_back(static_cast<char>(bytes_[pos_++]));
  }
  return out;
}

std::optional<int64_t> TextReader::integer() {
  skip_space();
  size_t p = pos_;
  char text[kMaxNumberText + 1];
  size_t n = 0;
  if (p < bytes_.size() && (bytes_[p] == '+' || bytes_[p] == '-')) text[n++] = bytes_[p++];
  while (p < bytes_.size() && bytes_[p] >= '0' && bytes_[p] <= '9' && n < kMaxNumberText) {
    text[n++] = bytes_[p++];
  }
  text[n] = 0;
  if (n == 0 || text[n - 1] < '0' || text[n - 1] > '9') return std::nullopt;
  errno = 0;
  long long v = std::strtoll(text, nullptr, 10);
  if (errno == ERANGE) return std::nullopt;
  pos_ = p;
  return v;
}

std::optional<double> TextReader::number() {
  skip_space();
  char text[kMaxNumberText + 1];
  size_t n = 0;
  for (size_t p = pos_; p < bytes_.size() && is_number_byte(bytes_[p]) && n < kMaxNumberText; ++p) {
    text[n++] = bytes_[p];
  }
  text[n] = 0;
  char* end = nullptr;
  double v = std::strtod(text, &end);
  if (end == text) return std::nullopt;
  pos_ += static_cast<size_t>(end - text);
  return v;
}

std::string TextReader::line(size_t max_length) {
  std::string out;
  while (pos_ < bytes_.size() && bytes_[pos_] != '\n') {
    if (out.size() < max_length) out.push_back(static_cast<char>(bytes_[pos_]));
    ++pos_;
  }
  if (pos_ < bytes_.size()) ++pos_;
  return out;
}

bool TextReader::one_space() {
  if (pos_ >= bytes_.size() || !is_space_byte(bytes_[pos_])) return false;
  ++pos_;
  return true;
}

}  // namespace br
