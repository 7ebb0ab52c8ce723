// A home directory and a game directory made for one test, used as the search directories.
#pragma once

#include <zlib.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "files/data_file.h"
#include "files/data_index.h"
#include "support/temp_dir.h"

namespace br_test {

class DataDirs {
 public:
  DataDirs() {
    std::filesystem::create_directories(dir_.path() / "xdg/Bermrider");
    std::filesystem::create_directories(dir_.path() / "game");
    setenv("XDG_DATA_HOME", dir_.file("xdg").c_str(), 1);
    setenv("BR_HOME", dir_.file("game").c_str(), 1);
    br::data_files_reset();
  }
  ~DataDirs() {
    unsetenv("XDG_DATA_HOME");
    unsetenv("BR_HOME");
    br::data_files_reset();
  }

  std::string home(const std::string& name = "") const {
    return dir_.file("xdg/Bermrider/" + name);
  }
  std::string game(const std::string& name = "") const { return dir_.file("game/" + name); }
  std::string root(const std::string& name) const { return dir_.file(name); }

  // Writes a file, creating its directories.
  static void put(const std::string& path, const std::string& bytes) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    write_file(path, bytes);
  }

 private:
  TempDir dir_;
};

// An archive as the format defines it, written by hand so the tests do not trust the writer.
inline std::string archive_bytes(const std::vector<std::pair<std::string, std::string>>& members) {
  std::string header, body;
  for (const auto& [name, contents] : members) {
    header += std::to_string(contents.size()) + " " + name + "\n";
    body += contents;
  }
  return header + "-\n" + body;
}

// A gzip stream written by zlib with a file name, a comment, an extra field and a header
// check in its header.
inline std::string gzip_bytes(const std::string& text) {
  z_stream z{};
  deflateInit2(&z, 9, Z_DEFLATED, 31, 8, Z_DEFAULT_STRATEGY);
  gz_header h{};
  char name[] = "original-name.txt";
  char comment[] = "a comment in the header";
  unsigned char extra[] = {'B', 'R', 2, 0, 'x', 'y'};
  h.name = reinterpret_cast<Bytef*>(name);
  h.comment = reinterpret_cast<Bytef*>(comment);
  h.extra = extra;
  h.extra_len = sizeof extra;
  h.hcrc = 1;
  deflateSetHeader(&z, &h);
  std::string out(deflateBound(&z, text.size()) + 256, '\0');
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
  z.avail_in = static_cast<uInt>(text.size());
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = static_cast<uInt>(out.size());
  deflate(&z, Z_FINISH);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

// Everything a data name reads to, or "<none>" when it does not open.
inline std::string read_all(const char* name) {
  br::DataFilePtr f(br::data_open(name, "rb"));
  if (!f) return "<none>";
  std::string out;
  char block[300];
  size_t n;
  while ((n = br::data_read(f.get(), block, sizeof block)) > 0) out.append(block, n);
  return out;
}

}  // namespace br_test
