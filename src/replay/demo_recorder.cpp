#include "replay/demo_recorder.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "bike/bike.h"
#include "files/little_endian.h"
#include "files/messages.h"
#include "platform/log.h"
#include "replay/demo_format.h"
#include "replay/history.h"
#include "replay/snapshot_pose.h"

namespace br {
namespace {

constexpr int kMaxBackups = 100;
constexpr size_t kMaxDemoPath = 1024;  // a demo's name with its folder and extension
constexpr const char* kDemoExtension = ".brdemo";

std::string backup_name(int k) {
  char name[64];
  std::snprintf(name, sizeof name, "@demos/default%02d.brdemo", k);
  return name;
}

bool data_name_exists(const std::string& name) {
  std::error_code ec;
  return std::filesystem::exists(data_write_path(name.c_str()), ec);
}

bool ends_with(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// The block goes to the file in one write and is flushed at once: a kill or a crash then
// leaves whole blocks behind, at worst with one cut short at the end, which readers skip.
void write_block(World& w, uint8_t type, const std::vector<uint8_t>& payload) {
  DemoRecorder& r = w.replay.recorder;
  auto length = static_cast<uint32_t>(payload.size());
  std::vector<uint8_t> block(kBlockHeaderBytes + payload.size());
  put_block_header(block.data(), {r.last_length ^ length, w.frame, type});
  std::copy(payload.begin(), payload.end(), block.begin() + kBlockHeaderBytes);
  bool ok = data_write(r.file.get(), block.data(), block.size()) == block.size() &&
            data_flush(r.file.get()) == 0;
  r.last_length = length;
  if (!ok) {
    // Nothing more is written behind a block that did not reach the disk whole.
    show_message("Can't write the demo \"%s\"; recording stopped", r.path.c_str());
    r.file.reset();
  }
}

DemoRider describe(const RiderSlot& slot) {
  DemoRider r;
  r.bike = slot.bike->entry.name;
  r.rider_texture = slot.identity.rider_texture;
  r.bike_texture = slot.identity.bike_texture;
  r.wheel_texture = slot.identity.wheel_texture;
  r.head_texture = slot.identity.head_texture;
  r.number = slot.identity.number;
  r.name = slot.identity.name;
  return r;
}

}  // namespace

std::string track_home_file(const std::string& track, const char* file) {
  return "@" + track + "/" + file;
}

bool recording(const World& w) {
  return static_cast<bool>(w.replay.recorder.file);
}

bool slot_recorded(const World& w, int slot) {
  const RiderSlot& s = w.slots[static_cast<size_t>(slot)];
  if (!s.bike) return false;
  switch (s.control) {
    case kControlLocal:
      return !w.connected || w.local_slot >= 0;
    case kControlPlayedBack:
      return w.connected;
    case kControlRobot:
      return true;
  }
  return false;
}

void rotate_demo_backups(int backups) {
  int n = std::clamp(backups, 0, kMaxBackups);
  for (int k = n - 2; k >= 0; --k) {
    std::string from = backup_name(k);
    if (data_name_exists(from)) data_rename(from.c_str(), backup_name(k + 1).c_str());
  }
  if (n > 0 && data_name_exists(kDefaultDemo)) data_rename(kDefaultDemo, backup_name(0).c_str());
}

void open_recording(World& w) {
  DemoRecorder& r = w.replay.recorder;
  if (r.file) close_recording(w);
  if (!r.fixed_path.empty()) {
    r.path = r.fixed_path;
  } else if (w.session.time_trial) {
    r.path = track_home_file(w.track.dir, kLastLapDemo);
  } else {
    rotate_demo_backups(w.settings.demo_backups.value);
    r.path = kDefaultDemo;
  }
  r.file.reset(data_open(r.path.c_str(), "wb"));
  r.last_length = 0;
  if (!r.file) {
    kota::log_printf("Can't record to \"%s\"\n", r.path.c_str());
    return;
  }
  DemoHeader h;
  h.duration_steps = w.session.duration_frames;
  h.laps = w.session.race_laps;
  h.start_step = w.race_start_frame;
  h.track = w.track.dir;
  for (int i = 0; i < kRiderSlots; ++i) {
    if (slot_recorded(w, i)) h.rider_list.push_back(describe(w.slots[static_cast<size_t>(i)]));
  }
  h.riders = static_cast<int>(h.rider_list.size());
  if (write_demo_header(r.file.get(), h) < 0 || data_flush(r.file.get()) != 0) {
    show_message("Can't write the demo \"%s\"", r.path.c_str());
    r.file.reset();
    return;
  }
  // What was pending belongs to no demo; this one starts with the next samples.
  for (StateHistory& hist : w.replay.histories) hist.pending = 0;
}

void record_step(World& w, bool force) {
  DemoRecorder& r = w.replay.recorder;
  if (!r.file) return;
  if (force || w.frame % kSampleEvery == 0) {
    SnapshotBox box = snapshot_box(w.track.terrain);
    for (int i = 0; i < kRiderSlots; ++i) {
      const RiderSlot& slot = w.slots[static_cast<size_t>(i)];
      if (!slot.bike || slot.control == kControlPlayedBack) continue;
      Snapshot s;
      pack_snapshot(*slot.bike, box, s);
      add_state_to_history(w, i, s, w.frame);
    }
  }
  if (!force && w.frame % kWriteEvery != 0) return;

  std::vector<uint8_t> payload;
  int ordinal = 0;
  for (int i = 0; i < kRiderSlots; ++i) {
    if (!slot_recorded(w, i)) continue;
    StateHistory& h = w.replay.histories[static_cast<size_t>(i)];
    for (int back = h.pending - 1; back >= 0; --back) {
      int at = history_index(h, back);
      uint8_t entry[kEntryBytes];
      entry[0] = static_cast<uint8_t>(ordinal);
      write_u32_le(entry + 1, static_cast<uint32_t>(h.times[static_cast<size_t>(at)]));
      std::copy(h.states[static_cast<size_t>(at)].begin(), h.states[static_cast<size_t>(at)].end(),
                entry + 5);
      payload.insert(payload.end(), entry, entry + kEntryBytes);
    }
    h.pending = 0;
    ++ordinal;
  }
  if (payload.empty()) return;
  write_block(w, kBlockStates, payload);
}

void write_text_block(World& w, const std::string& text) {
  if (!w.replay.recorder.file) return;
  write_block(w, kBlockText, std::vector<uint8_t>(text.begin(), text.end()));
}

void close_recording(World& w) {
  DemoRecorder& r = w.replay.recorder;
  bool was_default = r.file && r.path == kDefaultDemo;
  r.file.reset();
  if (!r.name.empty() && was_default) data_rename(kDefaultDemo, ("@demos/" + r.name).c_str());
  r.name.clear();
}

void name_demo(World& w, const std::string& argument) {
  DemoRecorder& r = w.replay.recorder;
  if (w.session.time_trial || !r.file) {
    show_message("Not currently recording a demo");
    return;
  }
  size_t begin = 0;
  while (begin < argument.size() && std::isspace(static_cast<unsigned char>(argument[begin])))
    ++begin;
  size_t end = begin;
  while (end < argument.size() && !std::isspace(static_cast<unsigned char>(argument[end]))) ++end;
  std::string name = argument.substr(begin, end - begin);
  if (name.size() + 8 > kMaxDemoPath) {
    show_message("Name too long");
    return;
  }
  // The name is a file in the demos folder, never a path out of it.
  if (name.empty() || name.find_first_of("/\\") != std::string::npos || name == "." ||
      name == "..") {
    show_message("Bad demo name");
    return;
  }
  if (!ends_with(name, kDemoExtension)) name += kDemoExtension;
  r.name = name;
  show_message("Demo name updated");
}

void set_demo_backups(World& w, int backups) {
  IntSetting& s = w.settings.demo_backups;
  s.value = std::clamp(backups, s.min, s.max);
  show_message("Now keeping %d demo backups", s.value);
}

}  // namespace br
