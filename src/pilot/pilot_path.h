// The way the scripted pilot means to ride: a smooth curve through the centres of the gates
// still ahead in the lap sequence, leaving each gate along its direction of travel, sampled
// every couple of feet with the ground height and the bend at every sample.
#pragma once

#include <array>
#include <vector>

#include "race/timing_gates.h"
#include "track/terrain.h"

namespace br {

constexpr double kPathSpacing = 2.0;  // feet between samples

struct PathSample {
  double x = 0, z = 0;
  double ground = 0;  // terrain height, feet
  double along = 0;   // feet from the path's first sample
  double bend = 0;    // change of direction per foot, radians (left positive)
  double crest = 0;   // how sharply the ground falls away ahead, 1/feet; 0 in a dip
  int position = 0;   // the sequence position whose gate this stretch leads to
};

struct PathStart {
  double x = 0, z = 0;
  double dx = 0, dz = -1;  // unit direction of travel
};

// The path from `from` through the gates of sequence positions `first` .. `first + count - 1`.
std::vector<PathSample> pilot_path(const TrackTiming& timing, const Terrain& terrain,
                                   const PathStart& from, int first, int count);

// The sample nearest (x, z) among those leading to position `position` or the one after it.
size_t nearest_sample(const std::vector<PathSample>& path, double x, double z, int position);

// The sample `distance` feet along the path from sample i, or the last one.
size_t sample_ahead(const std::vector<PathSample>& path, size_t i, double distance);

}  // namespace br
