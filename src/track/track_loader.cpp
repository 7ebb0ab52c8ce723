#include "track/track_loader.h"

#include <cstdio>
#include <set>

#include "files/data_file.h"
#include "files/messages.h"
#include "platform/log.h"
#include "render/texture_cache.h"
#include "track/height_field.h"
#include "track/track_digest.h"
#include "track/track_list.h"
#include "track/track_steps.h"
#include "world/progress_text.h"
#include "world/world.h"

namespace br {
namespace {

// Files of the riding surface, fed to the digest in this order before anything is parsed.
constexpr const char* kGroundDigestFiles[] = {"terrain.hf", "terrain.png", "texturelist", "tilemap",
                                              "tileinfo"};

void log_texture_memory(const char* when) {
  if (g_world.options.debug_level < 1) return;
  size_t used = texture_memory_used(), base = g_world.track.texture_memory_base;
  kota::log_printf("%lu bytes texture memory used after %s creation\n",
                   static_cast<unsigned long>(used > base ? used - base : 0), when);
}

void run(void (*step)(const std::string&), const std::string& path) {
  if (step) step(path);
}

}  // namespace

TrackSteps& track_steps() {
  static TrackSteps steps;
  return steps;
}

bool load_track(const std::string& dir) {
  TrackState& track = g_world.track;
  if (track.loaded) free_track();
  const TrackSteps& steps = track_steps();
  bool debug = g_world.options.debug_level >= 1;
  ++track.load_generation;
  track.texture_memory_base = texture_memory_used();
  track.dir = dir;
  track.long_name = track_long_name(track.list, dir);
  track.first_lap_entries = track.normal_lap_entries = track.start_positions = 0;
  const std::string path = "@" + dir;

  TrackDigester digest;
  if (steps.clear_scenery) steps.clear_scenery();
  show_progress_text("Loading track...");
  for (const char* name : kGroundDigestFiles) digest.feed_file(path + "/" + name);
  if (debug) kota::log_printf("Loading '%s'\n", path.c_str());
  run(steps.read_lighting, path);

  if (!load_height_field(path, g_world.settings.render_texture.index, track.terrain)) {
    track.dir.clear();
    track.long_name.clear();
    return false;
  }
  log_texture_memory("hf");
  // The whole radius table before the first frame, so nothing is drawn coarse.
  terrain_lod_build(track.lod, track.terrain, g_world.detail.terrain_error_scale);

  digest.feed_file(path + "/timing_gates");
  run(steps.read_timing_gates, path);
  if (steps.create_roost_pool) steps.create_roost_pool();
  run(steps.read_flaggers, path);
  log_texture_memory("flagger");
  run(steps.read_billboards, path);
  log_texture_memory("billboard");
  digest.feed_file(path + "/statues");
  run(steps.read_statues, path);
  log_texture_memory("statue");
  run(steps.load_map, path);
  if (steps.register_statues) steps.register_statues();

  // Several statues often share one model; each model file counts once.
  if (steps.statue_models) {
    std::set<std::string> fed;
    for (const std::string& model : steps.statue_models()) {
      if (model.empty() || model == "null" || !fed.insert(model).second) continue;
      digest.feed_file(model);
    }
  }
  track.digest = digest.finish();
  run(steps.read_cameras, path);
  track.loaded = true;
  return true;
}

void free_track() {
  TrackState& track = g_world.track;
  kota::log_printf("Deallocating track\n");
  if (track_steps().free_scenery) track_steps().free_scenery();
  terrain_lod_clear(track.lod);
  free_height_field(track.terrain);
  track.loaded = false;
  track.dir.clear();
  track.long_name.clear();
  track.digest = {};
  track.first_lap_entries = track.normal_lap_entries = track.start_positions = 0;
  kota::log_printf("Finished deallocating track\n");
}

const TrackDigest& track_digest() {
  return g_world.track.digest;
}

std::string track_info_text(const TrackState& t) {
  char counts[128];
  std::snprintf(counts, sizeof counts, "firstlap=%d\nnormallap=%d\ngatecount=%d\n",
                t.first_lap_entries, t.normal_lap_entries, t.start_positions);
  return "dir=" + t.dir + "\nlongname=" + track_long_name(t.list, t.dir) + "\n" + counts +
         "hash=" + digest_hex(t.digest) + "\n";
}

bool save_track_info() {
  const TrackState& t = g_world.track;
  if (!t.loaded) return false;
  std::string name = "@" + t.dir + ".trackinfo";
  bool ok = data_replace_file(name.c_str(), track_info_text(t));
  if (ok) show_message("Track info saved to %s.trackinfo", t.dir.c_str());
  return ok;
}

}  // namespace br
