// The data archive (".saf"): one definition shared by the game's reader and the brdata
// writer.
//
// Layout: a text header, then the member contents.
//   <size in decimal><one blank><data name>\n     one line per member
//   -\n                                           ends the header
//   <contents of member 1><contents of member 2>...
// Contents are concatenated in header order without padding; the first starts right after
// the "-" line. The format has no binary fields, so it is byte-order free.
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace br {

constexpr char kArchiveExtension[] = ".saf";
constexpr char kArchiveEndLine[] = "-";
constexpr char kArchiveSeparator = ' ';
// Longer header lines are taken as garbage rather than buffered without bound.
constexpr size_t kArchiveMaxLine = 4096;
// Sizes beyond this cannot be real; they also keep offset sums far from overflow.
constexpr uint64_t kArchiveMaxMemberSize = uint64_t{1} << 48;

struct ArchiveMember {
  std::string name;     // data name, runs of '/' collapsed
  uint64_t offset = 0;  // bytes from the start of the archive file
  uint64_t size = 0;    // bytes
};

// Reads the header from the start of `file`, whose total size is `file_size` bytes.
// Returns the members, or nothing when the archive is invalid: a line without its line
// feed, a line that does not begin with a number, an empty or over-long name, or contents
// that would reach past the end of the file.
std::optional<std::vector<ArchiveMember>> read_archive_header(FILE* file, uint64_t file_size);

// The header line of one member, line feed included.
std::string archive_header_line(const std::string& name, uint64_t size);

// `name` with every run of '/' turned into one.
std::string collapse_slashes(const std::string& name);

// True for names a writer may turn into a path below a directory: relative, no ".."
// component, no empty name.
bool archive_name_is_safe(const std::string& name);

}  // namespace br
