#include "fuzz_support.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "audio/sound_table.h"
#include "bike/shape_cache.h"
#include "files/archive_format.h"
#include "files/data_index.h"
#include "render/model_cache.h"
#include "render/texture_cache.h"
#include "world/world.h"

namespace br_fuzz {

namespace fs = std::filesystem;

namespace {

std::string g_home;

void remove_home() {
  std::error_code ec;
  if (!g_home.empty()) fs::remove_all(g_home, ec);
}

void empty_home() {
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(fuzz_home(), ec)) fs::remove_all(entry, ec);
}

void write_file(const std::string& path, const uint8_t* data, size_t size) {
  // An archive may hold both "a" and "a/b": the second cannot be placed, and that is the
  // input's business, not a crash of the harness.
  std::error_code ec;
  fs::create_directories(fs::path(path).parent_path(), ec);
  if (ec) return;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

}  // namespace

const std::string& fuzz_home() {
  if (!g_home.empty()) return g_home;
  std::string pattern = (fs::temp_directory_path() / "brfuzz-XXXXXX").string();
  if (!mkdtemp(pattern.data())) {
    std::perror("mkdtemp");
    std::abort();
  }
  std::string xdg = pattern + "/xdg";
  g_home = xdg + "/Bermrider/";
  fs::create_directories(g_home);
  std::atexit([] {
    remove_home();
    std::error_code ec;
    fs::remove_all(fs::path(g_home).parent_path().parent_path().parent_path(), ec);
  });
  setenv("XDG_DATA_HOME", xdg.c_str(), 1);
  setenv("BR_HOME", BR_FUZZ_DATA_DIR, 1);
  br::data_files_reset();
  return g_home;
}

void put_home_file(const std::string& name, std::span<const uint8_t> bytes) {
  empty_home();
  write_file(fuzz_home() + name, bytes.data(), bytes.size());
}

bool put_home_archive(std::span<const uint8_t> bytes) {
  empty_home();
  FILE* f = fmemopen(const_cast<uint8_t*>(bytes.data()), bytes.size(), "rb");
  if (!f) return false;
  auto members = br::read_archive_header(f, bytes.size());
  std::fclose(f);
  if (!members) return false;
  for (const br::ArchiveMember& m : *members) {
    // Only names that stay inside the home directory; the game's own writer holds the same
    // line.
    if (!br::archive_name_is_safe(m.name)) continue;
    write_file(fuzz_home() + m.name, bytes.data() + m.offset, static_cast<size_t>(m.size));
  }
  return true;
}

void reset_caches(bool keep_pictures) {
  // Names in the inputs change, so what is kept grows: it goes every so many inputs.
  constexpr int kKeepFor = 500;
  static int kept = 0;
  if (!keep_pictures || ++kept % kKeepFor == 0) {
    br::texture_delete_all();
    br::model_delete_all();
    br::sound_tables_clear();
  }
  br::shape_cache_clear();
}

void reset_game_state(bool keep_pictures) {
  reset_caches(keep_pictures);
  br::world_reset();
}

}  // namespace br_fuzz
