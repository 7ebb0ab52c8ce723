// The demo file layout, shared by the game's recorder and player and by the tools: a text
// header naming the track and the riders, then binary blocks (version 6) or one frame of
// snapshots per step (versions 4 and 5, read only).
#pragma once

#include <cstdint>
#include <string>

#include "files/data_file.h"
#include "world/replay_state.h"

namespace br {

constexpr int kDemoVersion = 6;  // what is written
constexpr int kOldestDemoVersion = 4;
constexpr int kDemoLineBytes = 1024;         // header lines are read up to this long
constexpr int32_t kDefaultStartStep = 1792;  // 14 s, when an old header has none
constexpr int kMaxDemoRiders = 160;          // one per rider slot
constexpr int kNumberPlateChars = 3;

// Block: 4-byte link (previous payload length XOR this one), 4-byte step, 1-byte type, payload.
constexpr int kBlockHeaderBytes = 9;
constexpr uint8_t kBlockStates = 1;
constexpr uint8_t kBlockText = 2;
// A state entry: rider ordinal, 4-byte step, snapshot.
constexpr int kEntryBytes = 1 + 4 + kSnapshotBytes;
constexpr int kMaxTextShown = 1023;  // bytes of a text block shown as a message

struct BlockHeader {
  uint32_t link = 0;
  int32_t step = 0;
  uint8_t type = 0;
};
void put_block_header(uint8_t* out, const BlockHeader& b);
BlockHeader get_block_header(const uint8_t* in);

// Reads a header at the file's start. On failure `error` says why in words for the player.
bool read_demo_header(DataFile* f, DemoHeader& out, std::string& error);

// Writes the version 6 header of `h` (its version field is not consulted). Returns the bytes
// written, or -1 when the file would not take them.
long write_demo_header(DataFile* f, const DemoHeader& h);

// Snapshot bytes per rider per frame in the old frame layouts (versions 4 and 5).
int frame_record_bytes(int version);

// A whole demo walked through, for the tools: its header, how far its recorded states reach
// and whether its tail is cut short.
struct DemoSummary {
  DemoHeader header;
  int32_t first_step = 0;  // of the earliest state, once any is read
  int32_t last_step = 0;   // of the latest state
  bool has_states = false;
  long blocks = 0;  // version 6, or frames in versions 4 and 5
  long text_blocks = 0;
  long trailing_bytes = 0;  // an incomplete last block or frame, left unread
};
bool summarise_demo(const char* name, DemoSummary& out, std::string& error);
// The summary as the tools print it: header, version, track, riders and length.
std::string demo_summary_text(const DemoSummary& s);

}  // namespace br
