#include "track/text_lines.h"

#include <cstdarg>
#include <cstdio>

#include "files/messages.h"
#include "render/render_files.h"

namespace br {

std::vector<TextLine> text_lines(std::string_view text) {
  std::vector<TextLine> lines;
  size_t pos = 0;
  int number = 0;
  while (pos < text.size()) {
    size_t lf = text.find('\n', pos);
    size_t end = lf == std::string_view::npos ? text.size() : lf;
    std::string_view line = text.substr(pos, end - pos);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back({++number, std::string(line)});
    pos = end + 1;
  }
  return lines;
}

bool is_blank_or_comment(const std::string& line) {
  size_t first = line.find_first_not_of(" \t\r\f\v");
  return first == std::string::npos || line[first] == '#';
}

std::optional<std::string> read_text_file(const std::string& name) {
  auto bytes = read_data_file(name);
  if (!bytes) return std::nullopt;
  return std::string(bytes->begin(), bytes->end());
}

void warn_bad_line(const std::string& file, const TextLine& line) {
  show_message("Warning: skipping bad line %d of '%.400s': %.200s", line.number, file.c_str(),
               line.text.c_str());
}

std::string first_word(const std::string& line) {
  size_t start = line.find_first_not_of(" \t\r\f\v");
  if (start == std::string::npos) return "";
  size_t end = line.find_first_of(" \t\r\f\v", start);
  return line.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

void appendf(std::string& out, const char* format, ...) {
  va_list args, again;
  va_start(args, format);
  va_copy(again, args);
  char line[256];
  int n = std::vsnprintf(line, sizeof line, format, args);
  if (n >= 0 && static_cast<size_t>(n) < sizeof line) {
    out.append(line, static_cast<size_t>(n));
  } else if (n > 0) {
    size_t at = out.size();
    out.resize(at + static_cast<size_t>(n) + 1);
    std::vsnprintf(out.data() + at, static_cast<size_t>(n) + 1, format, again);
    out.resize(at + static_cast<size_t>(n));
  }
  va_end(again);
  va_end(args);
}

}  // namespace br
