#include "headless.h"

#include <algorithm>

#include "bike/bike.h"
#include "bike/physics_world.h"
#include "bike/shape_cache.h"
#include "race/series.h"
#include "render/model_cache.h"
#include "render/texture_cache.h"
#include "replay/demo_player.h"
#include "replay/demo_recorder.h"
#include "shell/startup_settings.h"
#include "track/scenery.h"
#include "track/track_list.h"
#include "track/track_loader.h"

namespace brrace {

bool headless_start(br::World& w, std::string& error) {
  br::world_reset();
  w.stock_shapes = br::load_generic_shapes();
  // A run's settings are a new player's, never the configuration of whoever runs it, so that
  // the same options give the same race.
  br::apply_startup_presets(w.settings);
  br::install_scenery_steps();
  if (!br::build_startup_track_list()) {
    error = "no tracks found in the game data";
    return false;
  }
  br::load_series(w);
  br::physics_world_open(w);
  return true;
}

bool choose_track(br::World& w, const std::string& track) {
  const std::vector<std::string>& dirs = w.track.list.dirs;
  if (std::find(dirs.begin(), dirs.end(), track) == dirs.end()) return false;
  w.settings.track.value = track;
  w.settings.track_choice.select(track);
  return true;
}

void headless_stop(br::World& w) {
  // The demo takes the riders' last states while they still exist.
  br::record_step(w, true);
  br::close_recording(w);
  br::close_playback(w);
  br::free_all_bikes(w);
  br::physics_world_close(w);
  br::shape_cache_clear();
  if (w.track.loaded) br::free_track();
  br::texture_delete_all();
  br::model_delete_all();
}

}  // namespace brrace
