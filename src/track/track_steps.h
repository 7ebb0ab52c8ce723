// The steps of a track load that the scenery, the timing gates and the roost particles own.
// Each is installed by its owner; an absent step is skipped, so the ground alone loads.
// `track_path` is "@" + the track directory.
#pragma once

#include <string>
#include <vector>

namespace br {

struct TrackSteps {
  void (*clear_scenery)() = nullptr;  // empties the object lists before a load
  void (*read_lighting)(const std::string& track_path) = nullptr;
  void (*read_decals)(const std::string& track_path) = nullptr;  // ends the ground's load
  // Parses "timing_gates" and sets the track's lap-list and start-position counts.
  void (*read_timing_gates)(const std::string& track_path) = nullptr;
  void (*create_roost_pool)() = nullptr;
  void (*read_flaggers)(const std::string& track_path) = nullptr;
  void (*read_billboards)(const std::string& track_path) = nullptr;
  void (*read_statues)(const std::string& track_path) = nullptr;
  void (*load_map)(const std::string& track_path) = nullptr;
  void (*register_statues)() = nullptr;  // the statue grid, and the editor's preparation
  // The model file of every statue in statue order ("" or "null" for none).
  std::vector<std::string> (*statue_models)() = nullptr;
  void (*read_cameras)(const std::string& track_path) = nullptr;
  void (*free_scenery)() = nullptr;  // gates, statues and their models, billboards, decals
};

TrackSteps& track_steps();

}  // namespace br
