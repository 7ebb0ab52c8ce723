#include "files/data_index.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <set>
#include <utility>

#include "files/archive_format.h"
#include "files/search_dirs.h"

namespace br {
namespace {

struct IndexState {
  bool built = false;
  std::vector<DataIndexEntry> entries;
  std::vector<std::string> list;
  std::vector<size_t> list_entry;  // the index entry behind each list name
};

IndexState& state() {
  static IndexState s;
  return s;
}

unsigned char lower(unsigned char c) {
  return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c;
}

bool entry_less(const DataIndexEntry& a, const DataIndexEntry& b) {
  int d = compare_data_names(a.name, b.name);
  return d != 0 ? d < 0 : a.source < b.source;
}

// Walks one search directory. Directories are remembered by device and inode so that a
// symbolic link back up the tree cannot make the walk endless.
void walk(const std::string& root, const std::string& relative, int source,
          std::set<std::pair<dev_t, ino_t>>& seen, std::vector<DataIndexEntry>& out) {
  std::string dir_path = root + relative;
  struct stat dir_st;
  if (stat(dir_path.c_str(), &dir_st) != 0) return;
  if (!seen.insert({dir_st.st_dev, dir_st.st_ino}).second) return;
  DIR* dir = opendir(dir_path.c_str());
  if (!dir) return;
  std::vector<std::string> names;
  while (dirent* e = readdir(dir)) {
    if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0) continue;
    names.emplace_back(e->d_name);
  }
  closedir(dir);
  for (const std::string& name : names) {
    std::string rel = relative + name;
    std::string full = root + rel;
    struct stat st;
    if (stat(full.c_str(), &st) != 0) continue;
    if (S_ISDIR(st.st_mode)) {
      walk(root, rel + "/", source, seen, out);
    } else if (S_ISREG(st.st_mode)) {  // a device or a FIFO holds no data to read
      out.push_back({full, rel, 0, static_cast<uint64_t>(st.st_size), source, false});
    }
  }
}

bool is_archive_name(const std::string& name) {
  constexpr size_t n = sizeof kArchiveExtension - 1;
  return name.size() >= n + 1 &&
         compare_data_names(name.substr(name.size() - n), kArchiveExtension) == 0;
}

// Adds the members of one archive; an invalid archive adds nothing.
void add_archive(const DataIndexEntry& archive, int source, std::vector<DataIndexEntry>& out) {
  if (archive.in_archive) return;
  FILE* f = std::fopen(archive.path.c_str(), "rb");
  if (!f) return;
  auto members = read_archive_header(f, archive.size);
  std::fclose(f);
  if (!members) return;
  for (ArchiveMember& m : *members) {
    out.push_back({archive.path, std::move(m.name), m.offset, m.size, source, true});
  }
}

IndexState& built() {
  IndexState& s = state();
  if (s.built) return s;
  s.built = true;
  int count = search_directory_count();
  for (int i = 0; i < count; ++i) {
    std::set<std::pair<dev_t, ino_t>> seen;
    walk(search_directory(i), "", i, seen, s.entries);
  }
  std::sort(s.entries.begin(), s.entries.end(), entry_less);
  std::vector<DataIndexEntry> members;
  int source = count;
  for (const DataIndexEntry& e : s.entries) {
    if (!is_archive_name(e.name)) continue;
    add_archive(e, source, members);
    ++source;
  }
  s.entries.insert(s.entries.end(), std::make_move_iterator(members.begin()),
                   std::make_move_iterator(members.end()));
  std::sort(s.entries.begin(), s.entries.end(), entry_less);
  for (size_t i = 0; i < s.entries.size(); ++i) {
    if (!s.list.empty() && compare_data_names(s.list.back(), s.entries[i].name) == 0) continue;
    s.list.push_back(s.entries[i].name);
    s.list_entry.push_back(i);
  }
  return s;
}

}  // namespace

int compare_data_names(const std::string& a, const std::string& b) {
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    int d = lower(static_cast<unsigned char>(a[i])) - lower(static_cast<unsigned char>(b[i]));
    if (d != 0) return d;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

const std::vector<DataIndexEntry>& data_index() {
  return built().entries;
}

const DataIndexEntry* data_index_find(const std::string& name) {
  const auto& entries = built().entries;
  auto it = std::lower_bound(entries.begin(), entries.end(), name,
                             [](const DataIndexEntry& e, const std::string& key) {
                               return compare_data_names(e.name, key) < 0;
                             });
  if (it == entries.end() || compare_data_names(it->name, name) != 0) return nullptr;
  return &*it;
}

const std::vector<std::string>& data_file_list() {
  return built().list;
}

bool data_file_describe(int index, char* buffer, size_t size) {
  const IndexState& s = built();
  if (index < 0 || static_cast<size_t>(index) >= s.list.size()) return false;
  const DataIndexEntry& e = s.entries[s.list_entry[index]];
  if (size > 0) std::snprintf(buffer, size, "%s -> %s", e.name.c_str(), e.path.c_str());
  return true;
}

void data_files_reset() {
  state() = IndexState{};
  search_dirs_reset();
}

}  // namespace br
