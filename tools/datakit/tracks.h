// The tracks of the default data set.
#pragma once

#include <memory>
#include <string>

#include "track_builder.h"
#include "track_files.h"

namespace kit {

// A track's ground, course lines and file contents before they are written.
struct BuiltTrack {
  explicit BuiltTrack(TrackBuilder b) : builder(std::move(b)) {}
  TrackBuilder builder;
  CourseLine loop, start;
  TrackOutput out;  // points into the members above
};

std::unique_ptr<BuiltTrack> rabbithill_course();
std::unique_ptr<BuiltTrack> foundry_course();

// Each writes its track directory under `root`.
bool build_rabbithill(const std::string& root);
bool build_foundry(const std::string& root);

// Pictures and models the tracks share (start gate, hay bale, roost).
bool write_track_objects(const std::string& root);

}  // namespace kit
