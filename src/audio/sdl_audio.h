// The sound card driver, on SDL's audio device: the mixer runs in SDL's audio callback.
// Built with the game only, so the simulation library stays free of SDL.
#pragma once

#include "audio/audio_device.h"

namespace br {

const AudioDriver& sdl_audio_driver();

}  // namespace br
