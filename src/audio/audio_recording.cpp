#include "audio/audio_recording.h"

#include <cctype>
#include <cstring>
#include <vector>

#include "files/little_endian.h"
#include "platform/log.h"

namespace br {
namespace {

constexpr uint32_t kFormatChunkBytes = 16;
constexpr uint16_t kPcmFormat = 1;
constexpr uint16_t kBitsPerSample = 16;
constexpr uint16_t kBytesPerFrame = 2;
// Sizes of a recording that was never closed: players then read to the end of the file.
constexpr uint32_t kOpenEndedBytes = 0xFFFFFFFFu - 36;

bool ends_with_wav(const std::string& name) {
  if (name.size() < 4) return false;
  std::string tail = name.substr(name.size() - 4);
  for (char& c : tail) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return tail == ".wav";
}

void note_failure(AudioRecording& r) {
  if (!r.failed) kota::log_printf("Can't write the audio recording\n");
  r.failed = true;
}

}  // namespace

std::array<uint8_t, kWavHeaderBytes> wav_header(int rate, uint32_t data_bytes) {
  std::array<uint8_t, kWavHeaderBytes> h{};
  uint8_t* p = h.data();
  std::memcpy(p, "RIFF", 4);
  write_u32_le(p + 4, data_bytes + 36);
  std::memcpy(p + 8, "WAVEfmt ", 8);
  write_u32_le(p + 16, kFormatChunkBytes);
  write_u16_le(p + 20, kPcmFormat);
  write_u16_le(p + 22, 1);  // mono
  write_u32_le(p + 24, static_cast<uint32_t>(rate));
  write_u32_le(p + 28, static_cast<uint32_t>(rate) * kBytesPerFrame);
  write_u16_le(p + 32, kBytesPerFrame);
  write_u16_le(p + 34, kBitsPerSample);
  std::memcpy(p + 36, "data", 4);
  write_u32_le(p + 40, data_bytes);
  return h;
}

std::unique_ptr<AudioRecording> recording_open(const std::string& name, int rate) {
  auto r = std::make_unique<AudioRecording>();
  r->file.reset(data_open(name.c_str(), "wb"));
  if (!r->file) {
    kota::log_printf("Can't open '%s' to record audio\n", name.c_str());
    return nullptr;
  }
  r->wav = ends_with_wav(name);
  r->rate = rate;
  if (r->wav) {
    auto h = wav_header(rate, kOpenEndedBytes);
    if (data_write(r->file.get(), h.data(), h.size()) != h.size()) note_failure(*r);
  }
  return r;
}

void recording_append(AudioRecording& r, std::span<const int16_t> block) {
  if (!r.file || block.empty()) return;
  std::vector<uint8_t> bytes(block.size() * 2);
  for (size_t i = 0; i < block.size(); ++i) {
    write_u16_le(&bytes[2 * i], static_cast<uint16_t>(block[i]));
  }
  if (data_write(r.file.get(), bytes.data(), bytes.size()) != bytes.size()) note_failure(r);
  r.data_bytes += bytes.size();
}

void recording_close(AudioRecording& r) {
  if (!r.file) return;
  if (r.wav) {
    // Past 4 GB the header cannot say the size; the open-ended one stays.
    uint32_t bytes =
        r.data_bytes > kOpenEndedBytes ? kOpenEndedBytes : static_cast<uint32_t>(r.data_bytes);
    auto h = wav_header(r.rate, bytes);
    if (!data_seek(r.file.get(), 0) || data_write(r.file.get(), h.data(), h.size()) != h.size()) {
      note_failure(r);
    }
  }
  if (data_flush(r.file.get()) != 0) note_failure(r);
  r.file.reset();
}

}  // namespace br
