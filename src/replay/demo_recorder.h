// Recording races as demos: "@demos/default.brdemo" with numbered backups, or in a time trial
// the lap in "lastlap.brdemo" of the track's home folder. Every block goes to the file whole
// and is flushed, so a game that dies mid-race leaves a demo readable up to its last block.
#pragma once

#include <string>

#include "world/world.h"

namespace br {

constexpr const char* kDefaultDemo = "@demos/default.brdemo";
constexpr const char* kLastLapDemo = "lastlap.brdemo";
constexpr const char* kFastLapDemo = "fastlap.brdemo";
constexpr int kSampleEvery = 4;  // steps between snapshots of our own riders
constexpr int kWriteEvery = 16;  // steps between state blocks

// "@" + track + "/" + file: a file in the track's folder of the home directory.
std::string track_home_file(const std::string& track, const char* file);

// Whether the slot's rider goes into the demo being recorded.
bool slot_recorded(const World& w, int slot);

// Opens the recording and writes its header. A file that cannot be opened leaves recording
// off without a word.
void open_recording(World& w);

// After each step: samples our own riders every 4 steps and writes what is pending every 16;
// `force` does both now.
void record_step(World& w, bool force);

// A chat or status line from the server, while recording.
void write_text_block(World& w, const std::string& text);

// Closes the file; a name given with "namedemo" is applied now.
void close_recording(World& w);

bool recording(const World& w);

// The console's "namedemo NAME" and "demobackups N"; each shows its answer.
void name_demo(World& w, const std::string& argument);
void set_demo_backups(World& w, int backups);

// Moves "default.brdemo" and its numbered backups one place on, keeping `backups` of them.
void rotate_demo_backups(int backups);

}  // namespace br
