// Loading a track into the world in its fixed order, its digest, the ".trackinfo" summary
// and freeing it again.
#pragma once

#include <string>

#include "track/track.h"

namespace br {

// Loads the track in data directory `dir` into g_world.track; a loaded track is freed first.
// False when its ground cannot be read (the messages say why); no track is loaded then.
bool load_track(const std::string& dir);
void free_track();

// The RIPEMD-160 of the riding surface and timing files, in load order: what a game server
// compares to tell whether a client rides the same track.
const TrackDigest& track_digest();

// Writes "@<dir>.trackinfo"; false when no track is loaded or the file cannot be opened.
bool save_track_info();
// Its text.
std::string track_info_text(const TrackState& track);

}  // namespace br
