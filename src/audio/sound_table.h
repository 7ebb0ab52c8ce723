// Sound tables: recordings of single engine cycles in a grid of engine speed (rows) by load
// (columns). Tables and their sample files are loaded once and shared by every bike that
// uses them for the rest of the run.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace br {

struct SoundCell {
  std::shared_ptr<const std::vector<float>> samples;  // [-1, 1), never empty
  double cycles = 1;       // engine cycles recorded in the samples, 1 .. sample count
  std::vector<int> remap;  // cycle order for successive firings; empty plays them in turn
};

struct SoundTable {
  std::string name;
  int rows = 0, columns = 0;
  std::vector<float> row_keys;     // rpm, ascending
  std::vector<float> column_keys;  // load, ascending
  std::vector<SoundCell> cells;    // row by row
  const SoundCell& cell(int row, int column) const {
    return cells[static_cast<size_t>(row * columns + column)];
  }
};

using SoundTablePtr = std::shared_ptr<const SoundTable>;

// The tables every bike falls back on, made at their first use: one row of two cells, a
// quiet and a loud cycle of 1024 samples.
SoundTablePtr builtin_sound_table(bool two_stroke);

// The built-in cycles at x = i / 1023.
float four_stroke_wave(float x);
float two_stroke_wave(float x);

// Loads the table file `name` (a data name or path), or returns the one loaded before.
// nullptr when it cannot be read; the message area says why.
SoundTablePtr load_sound_table(const std::string& name);

// Forgets every loaded table and sample file (tests start afresh with it).
void sound_tables_clear();

}  // namespace br
