// What the fuzz targets share: a throw-away home directory in front of the default data set,
// inputs that stand for several files, and the caches emptied between inputs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace br_fuzz {

// Makes (once per process) a fresh home directory and puts the default data set behind it as
// the game's program directory, so that names an input refers to ("@haybale.jm") resolve.
// Returns the home directory, ending in '/'.
const std::string& fuzz_home();

// Empties the home directory and writes `bytes` there as `name` (a data name without '@').
void put_home_file(const std::string& name, std::span<const uint8_t> bytes);

// Reads `bytes` as an archive (the ".saf" layout: "<size> <name>" lines, "-", the contents)
// and writes its members into the emptied home directory, where the game finds them before
// anything of the data set. Several files then come from one input, in a format the fuzzer's
// seeds already use. False when the bytes are not an archive.
bool put_home_archive(std::span<const uint8_t> bytes);

// Drops every texture, model, sound table and collision shape, so that one input cannot grow
// the process or hand its state to the next. With `keep_pictures` the textures and models
// stay for a while: most come from the data set and are the same for every input, and
// decoding them again would be most of the run.
void reset_caches(bool keep_pictures = false);

// The caches and the world record. Targets whose parsers never touch the world call
// reset_caches alone: building a fresh world costs more than many a parse.
void reset_game_state(bool keep_pictures = false);

inline std::string_view as_text(const uint8_t* data, size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

}  // namespace br_fuzz
