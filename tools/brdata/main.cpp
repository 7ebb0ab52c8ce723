// brdata: lists and reads the game's data exactly as the game finds it (same search
// directories, index and lookup), and packs, unpacks, digests and scrambles data files.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "files/archive_write.h"
#include "files/data_file.h"
#include "files/data_index.h"
#include "files/digest.h"
#include "files/scramble.h"
#include "render/data_check.h"
#include "replay/demo_format.h"
#include "replay/demo_player.h"
#include "track/scenery.h"
#include "track/track_check.h"

namespace {

constexpr char kUsage[] =
    "usage: brdata list\n"
    "       brdata cat NAME                      (a data name such as @rabbithill/desc)\n"
    "       brdata pack ARCHIVE [-C DIR] FILE...  (member names relative to DIR)\n"
    "       brdata unpack ARCHIVE DIR\n"
    "       brdata digest FILE                   (release digest of the first 1 MB)\n"
    "       brdata scramble IN OUT               (the .scram transform; it undoes itself)\n"
    "       brdata check NAME...                 (load through the game's own readers;\n"
    "                                             @DIR checks a whole track)\n"
    "       brdata check --all                   (every texture, model and shadow map)\n"
    "       brdata demo FILE                     (a demo's header, riders and length)\n"
    "       brdata --help\n";

int usage() {
  std::fputs(kUsage, stderr);
  return 2;
}

int list() {
  const auto& names = br::data_file_list();
  char line[2048];
  for (size_t i = 0; i < names.size(); ++i) {
    br::data_file_describe(static_cast<int>(i), line, sizeof line);
    std::printf("%s\n", line);
  }
  return 0;
}

int cat(const char* name) {
  br::DataFilePtr f(br::data_open(name, "rb"));
  if (!f) {
    std::fprintf(stderr, "brdata: can't open %s\n", name);
    return 1;
  }
  char block[65536];
  size_t n;
  while ((n = br::data_read(f.get(), block, sizeof block)) > 0) {
    if (std::fwrite(block, 1, n, stdout) != n) return 1;
  }
  return std::fflush(stdout) == 0 ? 0 : 1;
}

int pack(int argc, char** argv) {
  if (argc < 1) return usage();
  std::string archive = argv[0];
  std::string dir = ".";
  std::vector<std::string> files;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "-C") == 0 && i + 1 < argc) {
      dir = argv[++i];
    } else {
      files.emplace_back(argv[i]);
    }
  }
  if (files.empty()) return usage();
  std::string err;
  if (!br::pack_archive(archive, dir, files, err)) {
    std::fprintf(stderr, "brdata: %s\n", err.c_str());
    return 1;
  }
  return 0;
}

int unpack(const char* archive, const char* dir) {
  std::string err;
  if (!br::unpack_archive(archive, dir, err)) {
    std::fprintf(stderr, "brdata: %s\n", err.c_str());
    return 1;
  }
  return 0;
}

int digest(const char* path) {
  auto hex = br::file_digest_hex(path);
  if (!hex) {
    std::fprintf(stderr, "brdata: can't read %s\n", path);
    return 1;
  }
  std::printf("%s\n", hex->c_str());
  return 0;
}

int scramble(const char* in_path, const char* out_path) {
  FILE* in = std::fopen(in_path, "rb");
  if (!in) {
    std::fprintf(stderr, "brdata: can't read %s\n", in_path);
    return 1;
  }
  FILE* out = std::fopen(out_path, "wb");
  if (!out) {
    std::fclose(in);
    std::fprintf(stderr, "brdata: can't write %s\n", out_path);
    return 1;
  }
  br::ScrambleStream stream;
  uint8_t block[65536];
  size_t n;
  bool ok = true;
  while ((n = std::fread(block, 1, sizeof block, in)) > 0) {
    br::scramble_bytes(stream, block, n);
    if (std::fwrite(block, 1, n, out) != n) ok = false;
  }
  if (std::ferror(in)) ok = false;
  std::fclose(in);
  if (std::fclose(out) != 0) ok = false;
  if (!ok) std::fprintf(stderr, "brdata: scrambling %s failed\n", in_path);
  return ok ? 0 : 1;
}

// Loads each name as the game would and prints what it sees; 1 when any fails to load.
int check(int argc, char** argv) {
  std::vector<std::string> names(argv, argv + argc);
  if (names.size() == 1 && names[0] == "--all") names = br::checkable_data_names();
  if (names.empty()) return usage();
  br::install_scenery_steps();  // tracks load with their scenery and timing, as in the game
  bool all_ok = true;
  for (const std::string& name : names) {
    if (br::is_track_name(name)) {
      br::TrackCheck t = br::describe_track(name);
      std::fputs(t.text.c_str(), stdout);
      all_ok = all_ok && t.ok;
      continue;
    }
    br::DataCheck c = br::describe_data_file(name);
    std::fputs(c.text.c_str(), stdout);
    all_ok = all_ok && c.ok;
  }
  return all_ok ? 0 : 1;
}

// Prints what a demo holds; 1 with the reason when it is not a demo the game can play.
int demo(const char* name) {
  std::string file = br::demo_file_name(name);
  br::DemoSummary summary;
  std::string error;
  if (!br::summarise_demo(file.c_str(), summary, error)) {
    std::fprintf(stderr, "brdata: %s is not a valid demo: %s\n", name, error.c_str());
    return 1;
  }
  std::fputs(br::demo_summary_text(summary).c_str(), stdout);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return usage();
  std::string command = argv[1];
  if (command == "--help" && argc == 2) return std::fputs(kUsage, stdout) >= 0 ? 0 : 1;
  if (command == "list" && argc == 2) return list();
  if (command == "cat" && argc == 3) return cat(argv[2]);
  if (command == "pack") return pack(argc - 2, argv + 2);
  if (command == "unpack" && argc == 4) return unpack(argv[2], argv[3]);
  if (command == "digest" && argc == 3) return digest(argv[2]);
  if (command == "scramble" && argc == 4) return scramble(argv[2], argv[3]);
  if (command == "check") return check(argc - 2, argv + 2);
  if (command == "demo" && argc == 3) return demo(argv[2]);
  return usage();
}
