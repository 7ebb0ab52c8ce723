#include "audio/mixer.h"

#include <algorithm>
#include <cstring>

namespace br {
namespace {

uint64_t position_step(int rate, int output_rate) {
  return (static_cast<uint64_t>(std::max(rate, kMinStreamRate)) << kPositionFractionBits) /
         static_cast<uint64_t>(output_rate);
}

void update_levels(AudioStream& s) {
  MixLevels l = mix_levels(s.volume, s.pan);
  s.left_level = l.left;
  s.right_level = l.right;
}

// Moves the read position past the end of the samples back into them, or ends the stream.
// False once a stream that does not loop has run out.
bool keep_in_range(AudioStream& s, uint64_t end) {
  if (s.position < end) return true;
  if (s.looping) {
    s.position %= end;
    return true;
  }
  s.finished = true;
  s.playing = false;
  return false;
}

// One stream into the block: each side that won a channel adds its scaled samples, and the
// read position moves on whether or not anything was heard.
void mix_stream(Mixer& m, AudioStream& s, int frames, bool left, bool right) {
  const std::vector<uint8_t>& data = *s.samples;
  if (data.empty()) {
    s.finished = true;
    s.playing = false;
    return;
  }
  const uint64_t end = static_cast<uint64_t>(data.size()) << kPositionFractionBits;
  const uint64_t step = position_step(s.rate, m.output_rate);
  if (!left && !right) {
    // Unheard: only the position moves, in one go.
    s.position += step * static_cast<uint64_t>(frames);
    keep_in_range(s, end);
    return;
  }
  const int16_t* lt = m.scale[static_cast<size_t>(left ? s.left_level : 0)].data();
  const int16_t* rt = m.scale[static_cast<size_t>(right ? s.right_level : 0)].data();
  for (int i = 0; i < frames; ++i) {
    if (!keep_in_range(s, end)) return;
    uint8_t sample = data[static_cast<size_t>(s.position >> kPositionFractionBits)];
    if (left) m.left[static_cast<size_t>(i)] += lt[sample];
    if (right) m.right[static_cast<size_t>(i)] += rt[sample];
    s.position += step;
  }
  keep_in_range(s, end);
}

}  // namespace

MixLevels mix_levels(int volume, int pan) {
  int64_t v = std::clamp(volume, 0, kMaxStreamVolume);
  int64_t p = std::clamp(pan, kPanHardLeft, kPanHardRight);
  return {static_cast<int>(((32767 - p) * v) >> 26), static_cast<int>((v * (p + 32768)) >> 26)};
}

int scaled_sample(int level, int sample) {
  int magnitude = (sample < 0 ? -sample : sample) * level / 32;
  return sample < 0 ? -magnitude : magnitude;
}

void mixer_init(Mixer& m, int output_rate, bool stereo, int channel_budget) {
  m.output_rate = std::max(output_rate, 1);
  m.stereo = stereo;
  m.channel_budget = std::max(channel_budget, 0);
  m.streams.clear();
  m.left.clear();
  m.right.clear();
  m.next_order = 0;
  for (int level = 0; level < kMixLevels; ++level) {
    for (int u = 0; u < 256; ++u) {
      m.scale[static_cast<size_t>(level)][static_cast<size_t>(u)] =
          static_cast<int16_t>(scaled_sample(level, u - kSilentSample));
    }
  }
}

AudioStream* mixer_create_stream(Mixer& m, int count, const uint8_t* initial, int rate) {
  auto s = std::make_unique<AudioStream>();
  s->samples = std::make_shared<std::vector<uint8_t>>(static_cast<size_t>(std::max(count, 0)),
                                                      static_cast<uint8_t>(kSilentSample));
  if (initial && count > 0) std::memcpy(s->samples->data(), initial, static_cast<size_t>(count));
  s->rate = rate > 0 ? rate : m.output_rate;
  s->order = m.next_order++;
  stream_state_set_pan(m, *s, 0);
  m.streams.push_back(std::move(s));
  return m.streams.back().get();
}

AudioStream* mixer_duplicate_stream(Mixer& m, const AudioStream& original) {
  auto s = std::make_unique<AudioStream>();
  s->samples = original.samples;
  s->looping = original.looping;
  s->rate = original.rate;
  s->volume = original.volume;
  s->pan = original.pan;
  s->order = m.next_order++;
  update_levels(*s);
  m.streams.push_back(std::move(s));
  return m.streams.back().get();
}

void mixer_destroy_stream(Mixer& m, AudioStream* s) {
  std::erase_if(m.streams, [s](const std::unique_ptr<AudioStream>& p) { return p.get() == s; });
}

void stream_state_play(AudioStream& s) {
  s.position = 0;
  s.playing = true;
  s.finished = false;
}

void stream_state_set_volume(const Mixer&, AudioStream& s, int volume) {
  s.volume = std::clamp(volume, 0, kMaxStreamVolume);
  update_levels(s);
}

void stream_state_set_pan(const Mixer& m, AudioStream& s, int pan) {
  s.pan = m.stereo ? std::clamp(pan, kPanHardLeft, kPanHardRight) : kPanHardLeft;
  update_levels(s);
}

int stream_state_position(const AudioStream& s) {
  return s.playing ? static_cast<int>(s.position >> kPositionFractionBits) : 0;
}

void stream_state_write(AudioStream& s, int count, const uint8_t* samples, int offset) {
  std::vector<uint8_t>& data = *s.samples;
  const int n = static_cast<int>(data.size());
  if (n == 0 || count <= 0 || !samples) return;
  if (count > n) {
    // The earlier samples would be overwritten by the later ones anyway.
    offset += count - n;
    samples += count - n;
    count = n;
  }
  offset %= n;
  if (offset < 0) offset += n;
  int first = std::min(count, n - offset);
  std::memcpy(data.data() + offset, samples, static_cast<size_t>(first));
  std::memcpy(data.data(), samples + first, static_cast<size_t>(count - first));
}

void mix_block(Mixer& m, int frames) {
  frames = std::max(frames, 0);
  m.left.assign(static_cast<size_t>(frames), 0);
  m.right.assign(m.stereo ? static_cast<size_t>(frames) : 0, 0);

  // The channels, loudest first: at each level the left side's streams, then the right's,
  // each in creation order. The budget goes to the first ones; the quietest are dropped.
  struct Channel {
    int level;
    int side;  // 0 left, 1 right
    AudioStream* stream;
  };
  std::vector<Channel> channels;
  for (const auto& s : m.streams) {
    if (!s->playing) continue;
    if (s->left_level > 0) channels.push_back({s->left_level, 0, s.get()});
    if (m.stereo && s->right_level > 0) channels.push_back({s->right_level, 1, s.get()});
  }
  std::stable_sort(channels.begin(), channels.end(), [](const Channel& a, const Channel& b) {
    if (a.level != b.level) return a.level > b.level;
    if (a.side != b.side) return a.side < b.side;
    return a.stream->order < b.stream->order;
  });
  if (channels.size() > static_cast<size_t>(m.channel_budget)) {
    channels.resize(static_cast<size_t>(m.channel_budget));
  }

  for (const auto& s : m.streams) {
    if (!s->playing) continue;
    bool left = false, right = false;
    for (const Channel& c : channels) {
      if (c.stream != s.get()) continue;
      (c.side == 0 ? left : right) = true;
    }
    mix_stream(m, *s, frames, left, right);
  }
}

uint8_t mix_to_u8(int32_t sum) {
  return static_cast<uint8_t>(std::clamp(sum, -127, 126) + kSilentSample);
}

int16_t mix_to_s16(int32_t sum) {
  int64_t v = static_cast<int64_t>(sum) * 256;
  return static_cast<int16_t>(std::clamp<int64_t>(v, -32512, 32512));
}

}  // namespace br
