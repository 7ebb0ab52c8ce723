#include "replay/demo_player.h"

#include <sys/stat.h>

#include <algorithm>
#include <cmath>

#include "audio/engine_sound.h"
#include "files/little_endian.h"
#include "files/messages.h"
#include "platform/log.h"
#include "race/rider_timing.h"
#include "replay/demo_format.h"
#include "replay/demo_recorder.h"
#include "replay/history.h"

namespace br {
namespace {

bool read_exact(DataFile* f, void* buffer, size_t n) {
  return data_read(f, buffer, n) == n;
}

// Reads and drops `n` bytes; false when the file ends first.
bool skip_bytes(DataFile* f, uint64_t n) {
  uint8_t scratch[4096];
  while (n > 0) {
    size_t want = static_cast<size_t>(std::min<uint64_t>(n, sizeof scratch));
    if (data_read(f, scratch, want) != want) return false;
    n -= want;
  }
  return true;
}

void show_text_block(DataFile* f, uint32_t length) {
  char text[kMaxTextShown + 1];
  size_t shown = std::min<uint32_t>(length, kMaxTextShown);
  size_t got = data_read(f, text, shown);
  for (size_t i = 0; i < got; ++i) {
    // A line of its own, whatever the sender put in it.
    if (static_cast<unsigned char>(text[i]) < ' ') text[i] = ' ';
  }
  text[got] = 0;
  if (got > 0) show_message("%s", text);
  if (got == shown) skip_bytes(f, length - shown);
}

// The standings wait for a played-back rider only while his recording lasts.
void note_state_received(World& w, int slot, int32_t step) {
  int32_t& latest = w.slots[static_cast<size_t>(slot)].last_server_frame;
  latest = std::max(latest, step);
}

void read_state_entries(World& w, DataFile* f, uint32_t length) {
  DemoPlayer& p = w.replay.player;
  for (uint32_t done = 0; done < length; done += kEntryBytes) {
    uint8_t entry[kEntryBytes];
    if (!read_exact(f, entry, sizeof entry)) return;
    int ordinal = entry[0];
    if (ordinal >= static_cast<int>(p.rider_slots.size())) continue;
    int slot = p.rider_slots[static_cast<size_t>(ordinal)];
    if (slot < 0) continue;
    Snapshot s;
    std::copy(entry + 5, entry + kEntryBytes, s.begin());
    int32_t step = static_cast<int32_t>(read_u32_le(entry + 1)) + p.offset;
    add_state_to_history(w, slot, s, step);
    note_state_received(w, slot, step);
  }
}

void read_blocks(World& w) {
  DemoPlayer& p = w.replay.player;
  DataFile* f = p.file.get();
  for (int n = 0; n < kMaxBlocksPerStep && p.next_block_step <= w.frame + kReadAheadSteps; ++n) {
    uint8_t head[kBlockHeaderBytes];
    if (!read_exact(f, head, sizeof head)) return;
    BlockHeader b = get_block_header(head);
    uint32_t length = b.link ^ p.last_length;
    if (b.type == kBlockStates && length % kEntryBytes == 0) {
      if (!p.first_block_step) {
        p.first_block_step = b.step;
        if (w.session.time_trial) {
          // The ghost's lap starts now.
          p.offset = w.frame - b.step;
        } else {
          w.frame = b.step;
        }
      }
      read_state_entries(w, f, length);
    } else if (b.type == kBlockText) {
      show_text_block(f, length);
    } else {
      skip_bytes(f, length);
    }
    p.last_length = length;
    p.next_block += static_cast<long>(length) + kBlockHeaderBytes;
    if (p.first_block_step) p.next_block_step = b.step + p.offset;
  }
}

void read_frames(World& w) {
  DemoPlayer& p = w.replay.player;
  DataFile* f = p.file.get();
  if (!p.first_block_step) {
    p.first_block_step = w.frame;
    p.next_block_step = w.frame;
  }
  int size = frame_record_bytes(p.header.version);
  while (p.next_block_step <= w.frame + kOldReadAheadSteps) {
    for (int k = 0; k < p.header.riders; ++k) {
      Snapshot s{};
      bool ok = read_exact(f, s.data(), static_cast<size_t>(size));
      int slot = p.rider_slots[static_cast<size_t>(k)];
      if (slot < 0) continue;
      // An old demo's rider whose frame is missing is off the track: his engine goes quiet.
      RiderSlot& rider = w.slots[static_cast<size_t>(slot)];
      if (rider.voice) rider.voice->presence = ok ? 1.0f : 0.0f;
      if (!ok) continue;
      add_state_to_history(w, slot, s, p.next_block_step);
      note_state_received(w, slot, p.next_block_step);
    }
    ++p.next_block_step;
  }
}

bool only_played_back(const World& w) {
  for (const RiderSlot& slot : w.slots) {
    if (slot.bike && slot.control != kControlPlayedBack) return false;
  }
  return true;
}

// Positions the stream at the latest block that starts at or before `target`, walking the
// block chain back from the read position. False (nothing moved) when the stream cannot seek.
bool seek_block_back(DemoPlayer& p, int32_t target) {
  DataFile* f = p.file.get();
  long first = p.header.length;
  long at = p.next_block;
  uint32_t length = p.last_length;  // of the block that ends at `at`
  uint32_t before = length;
  bool moved = false;
  while (at > first) {
    long start = at - static_cast<long>(length) - kBlockHeaderBytes;
    if (start < first) {
      // A broken chain: begin again from the first block.
      at = first;
      before = 0;
      break;
    }
    uint8_t head[kBlockHeaderBytes];
    if (!data_seek(f, start) || !read_exact(f, head, sizeof head)) {
      if (!moved) return false;
      at = first;
      before = 0;
      break;
    }
    moved = true;
    BlockHeader b = get_block_header(head);
    before = b.link ^ length;
    at = start;
    length = before;
    if (b.step + p.offset <= target) break;
  }
  if (at <= first) before = 0;
  if (!data_seek(f, at)) return false;
  p.next_block = at;
  p.last_length = before;
  return true;
}

// Crossings made after step `c` have not happened yet.
void forget_crossings_after(World& w, int32_t c) {
  for (RiderSlot& slot : w.slots) {
    RiderTiming& t = slot.timing;
    int keep = std::min<int>(t.gates_passed, static_cast<int>(t.gate_times.size()));
    while (keep > 0) {
      int32_t at = t.gate_times[static_cast<size_t>(keep - 1)];
      if (at >= 0 && at <= c) break;
      --keep;
    }
    if (keep < t.gates_passed) reset_rider_gates(t, keep);
  }
}

}  // namespace

std::string demo_file_name(const std::string& chosen) {
  if (chosen.empty() || chosen[0] == '@') return chosen;
  struct stat st;
  if (chosen[0] == '/' || stat(chosen.c_str(), &st) == 0) return chosen;
  return "@" + chosen;
}

bool playing(const World& w) {
  return static_cast<bool>(w.replay.player.file);
}

bool open_playback(World& w, const std::string& name) {
  close_playback(w);
  DemoPlayer& p = w.replay.player;
  std::string file = demo_file_name(name);
  DataFilePtr f(data_open(file.c_str(), "rb"));
  if (!f) {
    kota::log_printf("Can't open demo \"%s\"\n", file.c_str());
    return false;
  }
  DemoHeader h;
  std::string error;
  if (!read_demo_header(f.get(), h, error)) {
    show_message("Can't play \"%s\": %s", name.c_str(), error.c_str());
    return false;
  }
  p = DemoPlayer{};
  p.file = std::move(f);
  p.name = file;
  p.header = std::move(h);
  p.rider_slots.assign(static_cast<size_t>(p.header.riders), -1);
  p.next_block = p.header.length;
  p.last_length = 0;
  p.next_block_step = 1;
  return true;
}

void close_playback(World& w) {
  w.replay.player = DemoPlayer{};
}

RiderIdentity demo_rider_identity(const DemoRider& d) {
  RiderIdentity id;
  id.bike_model = d.bike;
  id.number = d.number;
  id.name = d.name;
  id.rider_texture = d.rider_texture;
  id.head_texture = d.head_texture;
  id.bike_texture = d.bike_texture;
  id.wheel_texture = d.wheel_texture;
  return id;
}

void bind_demo_rider(World& w, int ordinal, int slot) {
  DemoPlayer& p = w.replay.player;
  if (ordinal < 0 || ordinal >= static_cast<int>(p.rider_slots.size())) return;
  p.rider_slots[static_cast<size_t>(ordinal)] = slot;
}

void playback_step(World& w) {
  if (!w.replay.player.file) return;
  if (w.replay.player.header.version == kDemoVersion) {
    read_blocks(w);
  } else {
    read_frames(w);
  }
}

bool seek_demo(World& w, double seconds, WorldTickFn tick) {
  DemoPlayer& p = w.replay.player;
  if (!p.file || recording(w) || !only_played_back(w)) return false;
  auto steps = static_cast<int32_t>(std::lround(seconds / w.step));
  bool blocks = p.header.version == kDemoVersion;
  if (steps > 0 && (blocks || w.options.accurate_skip)) {
    // Forward the world simply runs on: every rider lands exactly where it would have.
    int32_t target = w.frame + steps;
    int roost = w.detail.roost_frequency;
    w.detail.roost_frequency = 0;
    while (w.frame < target && p.file) tick(w);
    w.detail.roost_frequency = roost;
    kota::log_printf("Demo skipped to step %d\n", w.frame);
    return true;
  }
  int32_t c = std::max(w.frame + steps - 1, 0);
  if (blocks) {
    if (!seek_block_back(p, std::max(c - kReadAheadSteps, 0))) return false;
  } else {
    // One frame per step from the step the reading began at.
    long frame_bytes = static_cast<long>(p.header.riders) * frame_record_bytes(p.header.version);
    long frames = std::max<long>(c - p.first_block_step.value_or(0), 0);
    if (!data_seek(p.file.get(), p.header.length + frames * frame_bytes)) return false;
  }
  p.next_block_step = c;
  if (c < w.frame) {
    forget_crossings_after(w, c);
    // The results are written again here once results files are kept.
  }
  w.frame = c;
  reset_histories(w);
  playback_step(w);
  tick(w);
  kota::log_printf("Demo moved to step %d\n", w.frame);
  return true;
}

}  // namespace br
