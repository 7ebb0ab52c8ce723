#include "track/track_check.h"

#include <algorithm>

#include "files/data_index.h"
#include "track/text_lines.h"
#include "track/track_digest.h"
#include "track/track_list.h"
#include "track/track_loader.h"
#include "track/track_steps.h"
#include "world/world.h"

namespace br {

bool is_track_name(const std::string& name) {
  if (name.size() < 2 || name[0] != '@') return false;
  std::string dir = name.substr(1);
  for (const char* tail :
       {"/terrain.hf", "/terrain.hf.gz", "/terrain.hf.scram", "/terrain.hf.gz.scram"}) {
    if (data_index_find(dir + tail)) return true;
  }
  return false;
}

TrackCheck describe_track(const std::string& name) {
  TrackCheck c;
  std::string dir = name.substr(name[0] == '@' ? 1 : 0);
  TrackState& track = g_world.track;
  if (track.list.dirs.empty()) track.list = build_track_list(data_file_list(), false);
  if (!load_track(dir)) {
    appendf(c.text, "%s: track does not load\n", name.c_str());
    return c;
  }
  const Terrain& t = track.terrain;
  auto [lo, hi] = std::minmax_element(t.heights.begin(), t.heights.end());
  appendf(c.text, "%s: track \"%s\"\n", name.c_str(), track.long_name.c_str());
  appendf(c.text, "  %d x %d height samples, spacing %g ft, %g ft square\n", t.side, t.side,
          t.spacing, t.extent);
  appendf(c.text, "  heights %g to %g ft (stored range %g to %g ft)\n", *lo, *hi, t.min_height,
          t.max_height);
  appendf(c.text, "  %zu ground tiles on a %d x %d tile map\n", t.tiles.size(), t.tile_side,
          t.tile_side);
  if (track_steps().read_timing_gates) {
    appendf(c.text, "  timing: %d first-lap gates, %d normal-lap gates, %d start positions\n",
            track.first_lap_entries, track.normal_lap_entries, track.start_positions);
  } else {
    appendf(c.text, "  timing gates not read by this build\n");
  }
  const Scenery& s = track.scenery;
  if (track_steps().read_statues) {
    appendf(c.text, "  scenery: %zu billboards, %zu statues, %zu decals, %zu cameras%s\n",
            s.billboards.size(), s.statues.size(), s.decals.size(), s.cameras.size(),
            s.map ? ", a map" : "");
  }
  appendf(c.text, "  digest %s\n", digest_hex(track.digest).c_str());
  free_track();
  c.ok = true;
  return c;
}

}  // namespace br
