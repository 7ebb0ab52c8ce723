// The engine sound files as both the game's readers and the data kit's writers know them.
//
// A sound table is text: "SOUNDTABLE rows columns", the row keys (engine speed, rpm,
// ascending), the column keys (load 0..1, ascending), then per row and per column a remap
// list of cycle indices ended by -1, the cell's cycle count and the path of its sample file.
// A sample file is raw 16-bit signed little-endian mono PCM at 44100 Hz.
//
// A .braap file is text, one setting per line, "#" starting a comment: "pipe" with length,
// taper, reflection gain, first and last tap; "minrpm", "lowtorque", "hightorque" with one
// number; "bias" and "scale" with up to 100 numbers; "soundtable" with a file name.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace br {

constexpr const char* kSoundTableMagic = "SOUNDTABLE";
constexpr int kEngineSampleRate = 44100;  // Hz, of every sample file and of the synthesis
constexpr float kSampleFullScale = 32768.0f;

// What a reader accepts; anything larger is refused rather than allocated.
constexpr int kMaxTableRows = 64;
constexpr int kMaxTableColumns = 64;
constexpr int kMaxRemapEntries = 1024;
constexpr int kMaxSampleFileSamples = 1 << 21;  // about 47 s
constexpr int kMaxFiringList = 100;             // bias and scale values
constexpr int kMaxBraapLine = 1024;             // bytes

// .braap keywords.
constexpr const char* kBraapPipe = "pipe";
constexpr const char* kBraapMinRpm = "minrpm";
constexpr const char* kBraapLowTorque = "lowtorque";
constexpr const char* kBraapHighTorque = "hightorque";
constexpr const char* kBraapBias = "bias";
constexpr const char* kBraapScale = "scale";
constexpr const char* kBraapSoundTable = "soundtable";

// An exhaust pipe: its length, how far it tapers toward the end, its reflection, and the
// delay taps it spreads over.
struct PipeShape {
  float length = 5.0f, taper = 0.918207f, gain = -0.85f;  // ft, ft, reflection
  int first_tap = 0, last_tap = 15;
};
// What a "pipe" line leaves out comes from this one.
constexpr PipeShape kFourStrokePipe{5.0f, 0.918207f, -0.85f, 0, 15};

struct SoundTableCellText {
  std::vector<int> remap;  // cycle indices; empty for none
  float cycles = 1;
  std::string sample_path;
};

struct SoundTableText {
  std::vector<float> row_keys;            // rpm
  std::vector<float> column_keys;         // load
  std::vector<SoundTableCellText> cells;  // row by row
};

std::string write_sound_table(const SoundTableText& t);

// Samples in [-1, 1) as the bytes of a sample file; values beyond are clipped.
std::string encode_sample_file(std::span<const float> samples);
// The samples of a sample file's bytes (an odd last byte is not a sample).
std::vector<float> decode_sample_file(std::span<const uint8_t> bytes);

struct BraapText {
  std::string comment;  // written as "#" lines at the top
  std::string sound_table;
  PipeShape pipe;
  float min_rpm = 1000, low_torque = -2.5f, high_torque = 2.5f;
  std::vector<float> bias{0}, scale{1};
};

std::string write_braap(const BraapText& b);

}  // namespace br
