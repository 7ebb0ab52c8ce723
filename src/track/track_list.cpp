#include "track/track_list.h"

#include <utility>

#include "files/data_file.h"
#include "files/data_index.h"
#include "platform/log.h"
#include "world/world.h"

namespace br {
namespace {

bool ends_with(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// The first line of the track's "desc": up to a carriage return, line feed, NUL or the end.
std::string read_long_name(const std::string& dir) {
  DataFilePtr f(data_open(("@" + dir + "/desc").c_str(), "rb"));
  if (!f) return dir;
  std::string name;
  for (int c = data_getc(f.get()); c != -1 && c != '\r' && c != '\n' && c != 0;
       c = data_getc(f.get())) {
    name.push_back(static_cast<char>(c));
  }
  return name;
}

}  // namespace

bool is_height_field_name(const std::string& name) {
  for (const char* tail :
       {"/terrain.hf", "/terrain.hf.gz", "/terrain.hf.scram", "/terrain.hf.gz.scram"}) {
    if (ends_with(name, tail)) return true;
  }
  return false;
}

TrackList build_track_list(const std::vector<std::string>& data_names, bool debug_log) {
  TrackList list;
  for (const std::string& name : data_names) {
    if (!is_height_field_name(name)) continue;
    std::string dir = name.substr(0, name.rfind('/'));
    list.long_names.push_back(read_long_name(dir));
    list.dirs.push_back(std::move(dir));
  }
  // An exchange sort: equal long names are never swapped with each other directly, which
  // keeps the order that players of earlier versions saw.
  size_t n = list.dirs.size();
  for (size_t i = 0; i < n; ++i) {
    for (size_t j = i + 1; j < n; ++j) {
      if (compare_data_names(list.long_names[i], list.long_names[j]) > 0) {
        std::swap(list.long_names[i], list.long_names[j]);
        std::swap(list.dirs[i], list.dirs[j]);
      }
    }
  }
  if (debug_log) {
    for (size_t i = 0; i < n; ++i) {
      kota::log_printf("%s -> %s\n", list.dirs[i].c_str(), list.long_names[i].c_str());
    }
  }
  return list;
}

std::string track_long_name(const TrackList& list, const std::string& dir) {
  for (size_t i = 0; i < list.dirs.size(); ++i) {
    if (list.dirs[i] == dir) return list.long_names[i];
  }
  return dir;
}

bool build_startup_track_list() {
  World& w = g_world;
  w.track.list = build_track_list(data_file_list(), w.options.debug_level >= 1);
  w.settings.track_choice.texts = w.track.list.dirs;
  w.settings.track_choice.index = 0;
  return !w.track.list.dirs.empty();
}

}  // namespace br
