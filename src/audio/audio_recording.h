// The file --record-audio writes: every simulation step's mixed block as 16-bit little-endian
// mono samples. A name ending in ".wav" gets a RIFF/WAVE header in front so any player opens
// it; any other name holds the bare blocks.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "files/data_file.h"

namespace br {

struct AudioRecording {
  DataFilePtr file;
  bool wav = false;
  int rate = 0;
  uint64_t data_bytes = 0;
  bool failed = false;  // a write went wrong; said once in the log
};

constexpr int kWavHeaderBytes = 44;

// Opens (creates) the file; nullptr when it cannot be written, and the log says why.
std::unique_ptr<AudioRecording> recording_open(const std::string& name, int rate);
void recording_append(AudioRecording& r, std::span<const int16_t> block);
// Completes the header's sizes and closes the file.
void recording_close(AudioRecording& r);

// The 44-byte header of 16-bit mono PCM at `rate` with `data_bytes` of samples.
std::array<uint8_t, kWavHeaderBytes> wav_header(int rate, uint32_t data_bytes);

}  // namespace br
