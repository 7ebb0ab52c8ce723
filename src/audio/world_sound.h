// The world's sound: a voice for every rider slot with a bike, the main loop's per-frame
// update of all of them from the camera's point of view, and the per-step recording of
// --record-audio.
#pragma once

#include <string>

#include "audio/engine_sound.h"
#include "world/world.h"

namespace br {

// Gives the slot its engine voice, from the bike it carries and the bike texture its
// identity names. Demo and network riders get theirs through this too, once their identity
// is set. Nothing without a sound output.
void give_voice(World& w, int slot);
void release_voice(RiderSlot& slot);
void release_all_voices(World& w);

// What the frame's engine sounds are scaled by: silent while paused or editing, a quarter
// behind a menu while watching others, silent behind a menu while riding.
float sound_master_factor(const World& w);
// The volume of `slot`: the player's volume, and the competitor volume for everyone else.
float rider_volume(const World& w, int slot, float master);

// Where the frame is heard from: the view's camera, moving as it moved since the last frame.
Listener frame_listener(World& w);

// Once per drawn frame, with a sound output: every voice synthesised and placed, then the
// mixer takes the new state.
void update_world_sound(World& w);

// After every world tick while recording: one step of mixed sound into the file.
void record_audio_step(World& w);

// The console's "pipe" with up to five numbers for the viewed rider's engine; numbers left
// out take the class's pipe. The reply, or empty when the viewed slot has no engine voice.
std::string pipe_command(World& w, const std::string& args);

}  // namespace br
