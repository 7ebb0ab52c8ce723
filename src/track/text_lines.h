// Line-oriented reading shared by the scenery and timing-gate readers: each entry is one line,
// so a bad line can be skipped with a warning that says where it is, and the rest still loads.
// Their writers, and the other track texts, share appendf.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace br {

struct TextLine {
  int number = 0;    // from 1
  std::string text;  // without the line end
};

// Every line of `text`; a carriage return before the line feed is dropped.
std::vector<TextLine> text_lines(std::string_view text);

// Empty, only blanks, or a comment starting with "#" after the blanks.
bool is_blank_or_comment(const std::string& line);

// The whole file through the data-file layer; nothing when it cannot be opened.
std::optional<std::string> read_text_file(const std::string& name);

// "Warning: skipping bad line %d of '%s': %s", shown to the player and logged.
void warn_bad_line(const std::string& file, const TextLine& line);

// The first blank-separated word of a line ("" when none).
std::string first_word(const std::string& line);

// Appends printf-style text to `out`, however long it comes out: names read from a file may
// be up to 1023 characters each.
[[gnu::format(printf, 2, 3)]] void appendf(std::string& out, const char* format, ...);

}  // namespace br
