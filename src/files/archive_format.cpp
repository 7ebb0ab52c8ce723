#include "files/archive_format.h"

namespace br {
namespace {

// One header line without its line feed; false when the file ends first or the line is
// too long to be a header line.
bool read_line(FILE* file, std::string& line) {
  line.clear();
  for (;;) {
    int c = std::getc(file);
    if (c == EOF) return false;
    if (c == '\n') return true;
    if (line.size() >= kArchiveMaxLine) return false;
    line.push_back(static_cast<char>(c));
  }
}

}  // namespace

std::string collapse_slashes(const std::string& name) {
  std::string out;
  out.reserve(name.size());
  for (char c : name) {
    if (c == '/' && !out.empty() && out.back() == '/') continue;
    out.push_back(c);
  }
  return out;
}

std::optional<std::vector<ArchiveMember>> read_archive_header(FILE* file, uint64_t file_size) {
  std::vector<ArchiveMember> members;
  std::string line;
  uint64_t header_bytes = 0;
  for (;;) {
    if (!read_line(file, line)) return std::nullopt;
    header_bytes += line.size() + 1;
    if (line == kArchiveEndLine) break;
    size_t i = 0;
    uint64_t size = 0;
    while (i < line.size() && line[i] >= '0' && line[i] <= '9') {
      size = size * 10 + static_cast<uint64_t>(line[i] - '0');
      if (size > kArchiveMaxMemberSize) return std::nullopt;
      ++i;
    }
    if (i == 0) return std::nullopt;
    // One separator character, then the name to the end of the line.
    if (i + 1 >= line.size()) return std::nullopt;
    std::string name = collapse_slashes(line.substr(i + 1));
    if (name.find('\0') != std::string::npos) return std::nullopt;
    members.push_back({std::move(name), 0, size});
  }
  uint64_t offset = header_bytes;
  for (ArchiveMember& m : members) {
    m.offset = offset;
    offset += m.size;
    // A member reaching past the end would hand its readers bytes that do not exist.
    if (offset > file_size) return std::nullopt;
  }
  return members;
}

std::string archive_header_line(const std::string& name, uint64_t size) {
  return std::to_string(size) + kArchiveSeparator + name + '\n';
}

bool archive_name_is_safe(const std::string& name) {
  if (name.empty() || name[0] == '/') return false;
  size_t start = 0;
  while (start <= name.size()) {
    size_t end = name.find('/', start);
    if (end == std::string::npos) end = name.size();
    std::string part = name.substr(start, end - start);
    if (part == ".." || part == ".") return false;
    if (part.empty() && end == name.size()) return false;  // trailing '/'
    start = end + 1;
  }
  return name.find('\\') == std::string::npos;
}

}  // namespace br
