// Reads a 16-bit mono WAV file as --record-audio writes it and prints, for every half
// second, its start time, loudness (rms, full scale 1) and strongest frequency between 15
// and 400 Hz:
//   wav_pitch FILE.wav
// The first line gives the rate and length: "rate R seconds S".
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "files/little_endian.h"
#include "support/pitch.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: wav_pitch FILE.wav\n");
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                             std::istreambuf_iterator<char>());
  if (bytes.size() < 44 || std::memcmp(bytes.data(), "RIFF", 4) != 0 ||
      std::memcmp(bytes.data() + 8, "WAVEfmt ", 8) != 0 || br::read_u16_le(&bytes[20]) != 1 ||
      br::read_u16_le(&bytes[22]) != 1 || br::read_u16_le(&bytes[34]) != 16 ||
      std::memcmp(bytes.data() + 36, "data", 4) != 0) {
    std::fprintf(stderr, "wav_pitch: %s is not 16-bit mono PCM WAV\n", argv[1]);
    return 1;
  }
  const uint32_t rate = br::read_u32_le(&bytes[24]);
  const uint32_t size = br::read_u32_le(&bytes[40]);
  if (rate == 0 || size != bytes.size() - 44) {
    std::fprintf(stderr, "wav_pitch: the header says %u bytes of samples, the file has %zu\n", size,
                 bytes.size() - 44);
    return 1;
  }
  std::vector<float> samples(size / 2);
  for (size_t i = 0; i < samples.size(); ++i) {
    samples[i] = static_cast<int16_t>(br::read_u16_le(&bytes[44 + 2 * i])) / 32768.0f;
  }
  std::printf("rate %u seconds %.2f\n", rate, static_cast<double>(samples.size()) / rate);
  const size_t window = rate / 2;
  for (size_t at = 0; at + window <= samples.size(); at += window) {
    std::span<const float> part(samples.data() + at, window);
    std::printf("%.1f %.4f %.1f\n", static_cast<double>(at) / rate, br_test::rms(part),
                br_test::strongest_frequency(part, rate, 15, 400));
  }
  return 0;
}
