// What the game sees in a data file, in words: the checking tool prints it for track makers.
#pragma once

#include <string>
#include <vector>

namespace br {

struct DataCheck {
  bool ok = false;
  std::string text;  // one or more lines, each ending in a line feed
};

// Loads `name` through the game's own readers, at full detail and at the configured detail.
DataCheck describe_texture(const std::string& name);
DataCheck describe_model(const std::string& name);
// Picks the reader by extension: ".jm" models, ".pgm" shadow maps, anything else textures.
DataCheck describe_data_file(const std::string& name);

// Every data file the game would read as a texture, model or shadow map, as "@" names: what
// checking a whole data set walks. Compressed variants are listed under their plain names.
std::vector<std::string> checkable_data_names();

}  // namespace br
