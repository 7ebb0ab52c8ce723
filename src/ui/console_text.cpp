#include "ui/console_text.h"

#include <algorithm>
#include <cctype>

namespace br {
namespace {

bool continuation(unsigned char c) {
  return (c & 0xC0) == 0x80;
}

// The length of a well-formed UTF-8 sequence at `at` (shortest form, no surrogates, nothing
// past U+10FFFF), or 0 when the bytes there are not one.
size_t valid_sequence(std::string_view s, size_t at) {
  auto byte = [&](size_t i) { return static_cast<unsigned char>(s[i]); };
  unsigned char c = byte(at);
  if (c < 0x80) return 1;
  size_t n = 0;
  unsigned char low = 0x80, high = 0xBF;  // the allowed range of the second byte
  if (c >= 0xC2 && c <= 0xDF) {
    n = 2;
  } else if (c >= 0xE0 && c <= 0xEF) {
    n = 3;
    if (c == 0xE0) low = 0xA0;
    if (c == 0xED) high = 0x9F;
  } else if (c >= 0xF0 && c <= 0xF4) {
    n = 4;
    if (c == 0xF0) low = 0x90;
    if (c == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (at + n > s.size()) return 0;
  if (byte(at + 1) < low || byte(at + 1) > high) return 0;
  for (size_t i = 2; i < n; ++i) {
    if (!continuation(byte(at + i))) return 0;
  }
  return n;
}

bool control_character(std::string_view s, size_t at, size_t length) {
  unsigned char c = static_cast<unsigned char>(s[at]);
  if (length == 1) return c < 0x20 || c == 0x7F;
  // U+0080 to U+009F, the second set of control codes.
  return length == 2 && c == 0xC2 && static_cast<unsigned char>(s[at + 1]) < 0xA0;
}

}  // namespace

std::string clean_console_text(std::string_view text, size_t limit) {
  std::string out;
  out.reserve(std::min(text.size(), limit));
  size_t at = 0;
  while (at < text.size()) {
    size_t n = valid_sequence(text, at);
    if (n == 0) {
      if (out.size() + 1 > limit) break;
      out += '?';
      ++at;
      continue;
    }
    if (!control_character(text, at, n)) {
      if (out.size() + n > limit) break;
      out.append(text.substr(at, n));
    }
    at += n;
  }
  return out;
}

size_t utf8_char_length(std::string_view text, size_t at) {
  if (at >= text.size()) return 0;
  size_t n = valid_sequence(text, at);
  return n == 0 ? 1 : n;
}

size_t utf8_previous(std::string_view text, size_t at) {
  at = std::min(at, text.size());
  if (at == 0) return 0;
  size_t start = at - 1;
  // At most three continuation bytes belong to one character.
  while (start > 0 && at - start < 4 && continuation(static_cast<unsigned char>(text[start]))) {
    --start;
  }
  return utf8_char_length(text, start) == at - start ? start : at - 1;
}

bool plain_file_name(std::string_view name) {
  if (name.empty() || name == "." || name == "..") return false;
  return std::none_of(name.begin(), name.end(), [](char ch) {
    unsigned char c = static_cast<unsigned char>(ch);
    return c == '/' || c == '\\' || c < 0x20 || c == 0x7F;
  });
}

std::string_view trimmed(std::string_view text) {
  auto space = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
  while (!text.empty() && space(text.front())) text.remove_prefix(1);
  while (!text.empty() && space(text.back())) text.remove_suffix(1);
  return text;
}

bool contains_ignoring_case(std::string_view text, std::string_view part) {
  auto lower = [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); };
  auto found = std::search(text.begin(), text.end(), part.begin(), part.end(),
                           [&](char a, char b) { return lower(a) == lower(b); });
  return part.empty() || found != text.end();
}

}  // namespace br
