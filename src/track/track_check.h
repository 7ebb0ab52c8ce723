// What the game sees in a track directory, in words, for the data checking tool.
#pragma once

#include <string>

namespace br {

// True for "@" + a data directory that holds a height field.
bool is_track_name(const std::string& name);

struct TrackCheck {
  bool ok = false;
  std::string text;  // lines ending in a line feed
};

// Loads the track as the game does, without a window, and describes it: size, spacing,
// heights, tiles, gate counts and digest. The track is freed again afterwards.
TrackCheck describe_track(const std::string& name);

}  // namespace br
