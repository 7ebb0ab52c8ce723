// Everything of a track directory that follows from its built ground and course: the
// height field, tiles, shading and shadows baked from the sun, timing gates, cameras, the map
// and the text files. The track's own design supplies the scenery lists and tiles.
#pragma once

#include <string>
#include <vector>

#include "race/timing_gates_format.h"
#include "track/scenery_format.h"
#include "track/tileinfo_format.h"
#include "track_builder.h"

namespace kit {

struct TrackOutput {
  std::string dir;        // directory name, for example "rabbithill"
  std::string long_name;  // first line of "desc"
  std::string description;
  const GroundModel* ground = nullptr;
  const CourseLine* loop = nullptr;   // the lap; distance 0 is the finish line
  const CourseLine* start = nullptr;  // from behind the starting gates into the lap
  float start_gate_s = 0;             // distance along the start line of the gate row
  int start_gate_count = 20;
  float start_gate_spacing = 3.5f;  // feet between neighbouring gates
  float merge_s = 0;                // distance along the lap where the start line joins
  int timing_gate_count = 24;       // gates around the lap
  float gate_margin = 10.0f;        // feet of gate radius beyond the track's half width
  int camera_count = 8;
  float camera_height = 18.0f;
  float camera_offset = 40.0f;  // feet beyond the track edge
  br::LightingFile lighting;
  std::vector<br::TileInfo> tiles;
  std::vector<br::BillboardEntry> billboards;
  std::vector<br::StatueEntry> statues;
  std::vector<br::DecalEntry> decals;
};

bool write_track(const std::string& root, const TrackOutput& track);

// The timing file alone (also used by the tests to check the lap structure).
br::TimingGatesFile make_timing_gates(const TrackOutput& track);

}  // namespace kit
