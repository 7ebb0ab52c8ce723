#include "files/search_dirs.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string_view>
#include <vector>

namespace br {
namespace {

struct SearchDirs {
  bool built = false;
  std::string home;
  std::vector<std::string> dirs;
};

SearchDirs& state() {
  static SearchDirs s;
  return s;
}

std::string home_from_environment() {
  const char* xdg = std::getenv("XDG_DATA_HOME");
  if (xdg && xdg[0] == '/') return normalize_directory(std::string(xdg) + "/Bermrider/");
  const char* home = std::getenv("HOME");
  if (home && home[0] == '/') {
    return normalize_directory(std::string(home) + "/.local/share/Bermrider/");
  }
  return "";
}

SearchDirs& built() {
  SearchDirs& s = state();
  if (s.built) return s;
  s.built = true;
  s.home = home_from_environment();
  if (!s.home.empty()) s.dirs.push_back(s.home);
  const char* br_home = std::getenv("BR_HOME");
  std::string second;
  if (br_home && br_home[0]) {
    second = normalize_directory(std::string(br_home) + "/");
  } else {
    // An installed program shares its folder with the rest of the system: walking it would
    // put every other program into the data index, and a write that missed the home
    // directory would land there. Its own data directory stands in for it, found from where
    // the program is, so a package unpacked under any prefix still finds its data.
    second = program_directory();
    std::string data = installed_data_directory(second);
    if (!data.empty()) second = data;
  }
  if (!second.empty()) s.dirs.push_back(second);
  std::string installed = normalize_directory(BR_INSTALL_DATA_DIR);
  bool listed = false;
  for (const std::string& d : s.dirs) listed = listed || d == installed;
  if (!listed) s.dirs.push_back(installed);
  return s;
}

}  // namespace

std::string installed_data_directory(const std::string& program_dir) {
  constexpr std::string_view kBinDir = BR_INSTALL_BIN_DIR "/";
  if (program_dir.size() <= kBinDir.size() || !program_dir.ends_with(kBinDir) ||
      program_dir[program_dir.size() - kBinDir.size() - 1] != '/') {
    return "";
  }
  std::string prefix = program_dir.substr(0, program_dir.size() - kBinDir.size());
  std::string data = normalize_directory(prefix + BR_INSTALL_DATA_SUBDIR);
  struct stat st;
  if (stat(data.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return "";
  return data;
}

std::string normalize_directory(const std::string& path) {
  std::string out;
  for (char c : path) {
    if (c == '\\') c = '/';
    if (c == '/' && !out.empty() && out.back() == '/') continue;
    out.push_back(c);
  }
  if (out.empty() || out.back() != '/') out.push_back('/');
  return out;
}

const std::string& home_directory() {
  return built().home;
}

const char* search_directory(int n) {
  const SearchDirs& s = built();
  if (n < 0 || n >= static_cast<int>(s.dirs.size())) return nullptr;
  return s.dirs[n].c_str();
}

int search_directory_count() {
  return static_cast<int>(built().dirs.size());
}

std::string program_directory() {
  std::vector<char> buf(4096);
  ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size() - 1);
  if (n <= 0) return "";
  std::string path(buf.data(), static_cast<size_t>(n));
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return "";
  return normalize_directory(path.substr(0, slash + 1));
}

void make_directories(const std::string& path) {
  for (size_t i = 1; i < path.size(); ++i) {
    if (path[i] != '/') continue;
    mkdir(path.substr(0, i).c_str(), 0777);
  }
}

void search_dirs_reset() {
  state() = SearchDirs{};
}

}  // namespace br
