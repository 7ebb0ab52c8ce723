#include "files/archive_write.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "files/archive_format.h"

namespace br {
namespace {

namespace fs = std::filesystem;

struct PackEntry {
  fs::path path;
  std::string name;
  uint64_t size = 0;
};

bool collect(const fs::path& path, const fs::path& base, std::vector<PackEntry>& out,
             std::string& err) {
  std::error_code ec;
  if (fs::is_directory(path, ec)) {
    std::vector<fs::path> children;
    for (const auto& e : fs::directory_iterator(path, ec)) children.push_back(e.path());
    if (ec) {
      err = "can't read directory " + path.string();
      return false;
    }
    std::sort(children.begin(), children.end());
    for (const fs::path& child : children) {
      if (!collect(child, base, out, err)) return false;
    }
    return true;
  }
  uint64_t size = fs::file_size(path, ec);
  if (ec) {
    err = "can't read " + path.string();
    return false;
  }
  std::string name = collapse_slashes(path.lexically_relative(base).generic_string());
  if (!archive_name_is_safe(name)) {
    err = path.string() + " is not inside " + base.string();
    return false;
  }
  out.push_back({path, name, size});
  return true;
}

// Copies `size` bytes from `in` to `out`; false when either side falls short.
bool copy_bytes(FILE* in, FILE* out, uint64_t size) {
  char block[65536];
  while (size > 0) {
    size_t want = static_cast<size_t>(std::min<uint64_t>(size, sizeof block));
    size_t got = std::fread(block, 1, want, in);
    if (got != want || std::fwrite(block, 1, got, out) != got) return false;
    size -= got;
  }
  return true;
}

}  // namespace

bool pack_archive(const std::string& archive, const std::string& base_dir,
                  const std::vector<std::string>& files, std::string& err) {
  std::error_code ec;
  fs::path base = fs::absolute(base_dir.empty() ? "." : base_dir, ec).lexically_normal();
  std::vector<PackEntry> entries;
  for (const std::string& f : files) {
    fs::path p = fs::path(f).is_absolute() ? fs::path(f) : base / f;
    if (!collect(p.lexically_normal(), base, entries, err)) return false;
  }
  FILE* out = std::fopen(archive.c_str(), "wb");
  if (!out) {
    err = "can't write " + archive;
    return false;
  }
  bool ok = true;
  for (const PackEntry& e : entries) {
    ok = ok && std::fputs(archive_header_line(e.name, e.size).c_str(), out) >= 0;
  }
  ok = ok && std::fprintf(out, "%s\n", kArchiveEndLine) > 0;
  for (const PackEntry& e : entries) {
    if (!ok) break;
    FILE* in = std::fopen(e.path.c_str(), "rb");
    ok = in && copy_bytes(in, out, e.size);
    if (in) std::fclose(in);
    if (!ok) err = "can't read " + e.path.string() + " (changed while packing?)";
  }
  if (std::fclose(out) != 0 && ok) {
    ok = false;
    err = "can't write " + archive;
  }
  if (!ok) {
    if (err.empty()) err = "can't write " + archive;
    std::remove(archive.c_str());
  }
  return ok;
}

bool unpack_archive(const std::string& archive, const std::string& dir, std::string& err) {
  std::error_code ec;
  uint64_t size = fs::file_size(archive, ec);
  FILE* in = ec ? nullptr : std::fopen(archive.c_str(), "rb");
  if (!in) {
    err = "can't read " + archive;
    return false;
  }
  auto members = read_archive_header(in, size);
  if (!members) {
    std::fclose(in);
    err = archive + " is not a valid archive";
    return false;
  }
  bool ok = true;
  for (const ArchiveMember& m : *members) {
    if (!archive_name_is_safe(m.name)) {
      err = "refusing member name \"" + m.name + "\"";
      ok = false;
      break;
    }
    fs::path target = fs::path(dir) / m.name;
    fs::create_directories(target.parent_path(), ec);
    FILE* out = std::fopen(target.c_str(), "wb");
    bool copied = out && std::fseek(in, static_cast<long>(m.offset), SEEK_SET) == 0 &&
                  copy_bytes(in, out, m.size);
    if (out && std::fclose(out) != 0) copied = false;
    if (!copied) {
      err = "can't extract " + m.name + " to " + target.string();
      ok = false;
      break;
    }
  }
  std::fclose(in);
  return ok;
}

}  // namespace br
