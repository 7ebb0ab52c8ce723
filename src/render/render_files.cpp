// Stand-in for the data-file layer: plain and ".gz" files under a short list of directories. When
// the data-file layer is present, read_data_file becomes data_open + data_read + data_close and
// data_file_names becomes a view of data_file_list; render_message becomes show_message.
#include "render/render_files.h"

#include <strings.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "platform/log.h"

namespace br {
namespace {

struct FileState {
  std::vector<std::string> directories = {"./"};
  bool names_built = false;
  std::vector<std::string> names;
};

FileState& state() {
  static FileState s;
  return s;
}

std::optional<std::vector<uint8_t>> read_plain(const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return std::nullopt;
  std::vector<uint8_t> bytes;
  uint8_t block[65536];
  size_t n;
  while ((n = std::fread(block, 1, sizeof block, f)) > 0)
    bytes.insert(bytes.end(), block, block + n);
  bool failed = std::ferror(f) != 0;
  std::fclose(f);
  if (failed) return std::nullopt;
  return bytes;
}

std::optional<std::vector<uint8_t>> read_gzip(const std::string& path) {
  gzFile f = gzopen(path.c_str(), "rb");
  if (!f) return std::nullopt;
  std::vector<uint8_t> bytes;
  uint8_t block[65536];
  int n;
  while ((n = gzread(f, block, sizeof block)) > 0) bytes.insert(bytes.end(), block, block + n);
  bool failed = n < 0;
  gzclose(f);
  if (failed) return std::nullopt;
  return bytes;
}

// A plain file, or its compressed variant.
std::optional<std::vector<uint8_t>> read_path(const std::string& path) {
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) return std::nullopt;
  if (auto bytes = read_plain(path)) return bytes;
  return read_gzip(path + ".gz");
}

}  // namespace

std::optional<std::vector<uint8_t>> read_data_file(const std::string& name) {
  if (name.empty() || name[0] != '@') return read_path(name);
  for (const std::string& dir : state().directories) {
    if (auto bytes = read_path(dir + name.substr(1))) return bytes;
  }
  return std::nullopt;
}

const std::vector<std::string>& data_file_names() {
  FileState& s = state();
  if (s.names_built) return s.names;
  s.names_built = true;
  for (const std::string& dir : s.directories) {
    std::error_code ec;
    std::filesystem::recursive_directory_iterator it(dir, ec), end;
    for (; !ec && it != end; it.increment(ec)) {
      if (it->is_directory(ec)) continue;
      s.names.push_back(std::filesystem::relative(it->path(), dir, ec).generic_string());
    }
  }
  auto less = [](const std::string& a, const std::string& b) {
    return strcasecmp(a.c_str(), b.c_str()) < 0;
  };
  std::stable_sort(s.names.begin(), s.names.end(), less);
  s.names.erase(std::unique(s.names.begin(), s.names.end(),
                            [](const std::string& a, const std::string& b) {
                              return strcasecmp(a.c_str(), b.c_str()) == 0;
                            }),
                s.names.end());
  return s.names;
}

void set_render_search_directories(std::vector<std::string> directories) {
  FileState& s = state();
  for (std::string& d : directories) {
    if (!d.empty() && d.back() != '/') d += '/';
  }
  s.directories = std::move(directories);
  s.names_built = false;
  s.names.clear();
}

void render_message(const std::string& text) {
  kota::log_printf("%s\n", text.c_str());
}

}  // namespace br
