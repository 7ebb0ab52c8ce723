// The replay records the world holds: every rider slot's ring of recent snapshots, the demo
// being recorded and the demo being played. The operations on them live in src/replay/.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "files/data_file.h"
#include "replay/snapshot.h"

namespace br {

constexpr int kHistoryEntries = 128;
constexpr int kHistorySlots = 160;   // one per rider slot
constexpr int32_t kEmptyEntry = -1;  // time stamp of an entry never written

// The most recent snapshots of one rider slot, oldest to newest going forward round the ring
// from just after `newest`.
struct StateHistory {
  std::array<Snapshot, kHistoryEntries> states{};
  std::array<int32_t, kHistoryEntries> times;
  int newest = 0;
  int pending = 0;  // added since the demo recorder last wrote this slot, 0..128

  StateHistory() { times.fill(kEmptyEntry); }
};

// One rider as a demo's header describes it.
struct DemoRider {
  std::string bike;
  std::string rider_texture;
  std::string bike_texture;
  std::string wheel_texture;
  std::string head_texture;
  std::string number;  // up to 3 characters
  std::string name;
};

struct DemoHeader {
  std::string line;  // the header line as read, without its line feed
  int version = 0;
  int riders = 0;
  int32_t duration_steps = 0;  // 0 = no time limit
  int laps = 0;                // 0 = none
  int32_t start_step = 0;      // the frame at which the start gate drops
  std::string track;
  std::vector<DemoRider> rider_list;
  long length = 0;  // bytes, where the first block or frame begins
};

struct DemoRecorder {
  DataFilePtr file;  // none while nothing is recorded
  std::string path;  // where the recording is being written
  uint32_t last_length = 0;
  std::string name;  // given by "namedemo"; applied when the recording closes
  // Tools record every race to a file of their choosing; empty = the game's own demo files.
  std::string fixed_path;
  bool write_failed = false;
};

struct DemoPlayer {
  DataFilePtr file;  // none while nothing is played
  std::string name;  // the data name or path it was opened by
  DemoHeader header;
  std::vector<int> rider_slots;  // header rider -> rider slot, -1 = none
  long next_block = 0;           // file position of the next block
  uint32_t last_length = 0;      // payload length of the block last read
  std::optional<int32_t> first_block_step;
  int32_t offset = 0;           // added to every time stamp read
  int32_t next_block_step = 1;  // the read-ahead cursor
};

struct ReplayState {
  // Held apart from the world record's fixed arrays: 160 rings of 128 entries are too much
  // for the stack a fresh world is made on.
  std::vector<StateHistory> histories = std::vector<StateHistory>(kHistorySlots);
  DemoRecorder recorder;
  DemoPlayer player;
  // The demo the sessions play: a demo list name or a path; empty = none.
  std::string chosen_demo;
};

}  // namespace br
