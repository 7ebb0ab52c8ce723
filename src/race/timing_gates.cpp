#include "race/timing_gates.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <numbers>

#include "platform/log.h"
#include "track/scenery.h"
#include "track/text_lines.h"
#include "world/world.h"

namespace br {
namespace {

enum class Section { kNone, kStarts, kGates, kFirstLap, kNormalLap };

Section section_of(const std::string& word) {
  if (word == "startinggate:") return Section::kStarts;
  if (word == "checkpoints:") return Section::kGates;
  if (word == "firstlap:") return Section::kFirstLap;
  if (word == "normallap:") return Section::kNormalLap;
  return Section::kNone;
}

float wrap_yaw(float yaw) {
  constexpr float kPi = std::numbers::pi_v<float>;
  if (yaw >= -kPi && yaw <= kPi) return yaw;
  float w = std::remainder(yaw, 2 * kPi);
  return std::clamp(w, -kPi, kPi);
}

bool finite(std::initializer_list<float> values) {
  return std::all_of(values.begin(), values.end(), [](float v) { return std::isfinite(v); });
}

bool read_start(const std::string& line, StartPosition& s) {
  char names[3][1024];
  int n = std::sscanf(line.c_str(), " [ %f %f %f ] %f %1023s %1023s %1023s", &s.x, &s.y, &s.z,
                      &s.yaw, names[0], names[1], names[2]);
  if (n < 4 || !finite({s.x, s.y, s.z, s.yaw})) return false;
  s.yaw = wrap_yaw(s.yaw);
  std::string* fields[3] = {&s.model, &s.texture, &s.shape};
  const char* defaults[3] = {kDefaultStartGateModel, kDefaultStartGateTexture,
                             kDefaultStartGateShape};
  for (int k = 0; k < 3; ++k) *fields[k] = k < n - 4 ? names[k] : defaults[k];
  // The three defaults are written back as none at all.
  if (s.model == defaults[0] && s.texture == defaults[1] && s.shape == defaults[2]) {
    s.model.clear(), s.texture.clear(), s.shape.clear();
  }
  return true;
}

bool read_gate(const std::string& line, TimingGate& g) {
  return std::sscanf(line.c_str(), "%f [ %f %f %f ] [ %f %f %f ]", &g.radius, &g.cx, &g.cy, &g.cz,
                     &g.dx, &g.dy, &g.dz) == 7 &&
         finite({g.radius, g.cx, g.cy, g.cz, g.dx, g.dy, g.dz});
}

// The whole-number words of a line; false at the first word that is not one.
bool read_references(const std::string& line, std::vector<int>& refs) {
  const char* p = line.c_str();
  for (;;) {
    while (*p == ' ' || *p == '\t' || *p == '\r') ++p;
    if (*p == '\0' || *p == '#') return true;
    char* end = nullptr;
    long v = std::strtol(p, &end, 10);
    if (end == p || (*end != '\0' && *end != ' ' && *end != '\t' && *end != '\r')) return false;
    if (v < -1000000000L || v > 1000000000L) return false;
    if (refs.size() < kMaxLapReferences) refs.push_back(static_cast<int>(v));
    p = end;
  }
}

int timed_references(const std::vector<int>& refs) {
  return static_cast<int>(
      std::count_if(refs.begin(), refs.end(), [](int r) { return r < kGateNotLearnedFlag; }));
}

}  // namespace

TimingGatesFile parse_timing_gates(std::string_view text, const std::string& file) {
  TimingGatesFile f;
  Section section = Section::kNone;
  for (TextLine line : text_lines(text)) {
    if (is_blank_or_comment(line.text)) continue;
    std::string word = first_word(line.text);
    if (Section next = section_of(word); next != Section::kNone) {
      // A list may follow its title on the same line.
      section = next;
      line.text.erase(0, line.text.find(word) + word.size());
      if (is_blank_or_comment(line.text)) continue;
    }
    bool ok = false;
    switch (section) {
      case Section::kNone:
        break;
      case Section::kStarts: {
        StartPosition s;
        ok = read_start(line.text, s);
        if (ok && f.starts.size() < kMaxStartPositions) f.starts.push_back(std::move(s));
        break;
      }
      case Section::kGates: {
        TimingGate g;
        ok = read_gate(line.text, g);
        if (ok && f.gates.size() < kMaxTimingGates) f.gates.push_back(g);
        break;
      }
      case Section::kFirstLap:
        ok = read_references(line.text, f.first_lap);
        break;
      case Section::kNormalLap:
        ok = read_references(line.text, f.normal_lap);
        break;
    }
    if (!ok) warn_bad_line(file, line);
  }
  return f;
}

int clean_lap_reference(int reference, int gate_count) {
  if (reference < 0) return 0;
  int flag = reference >= kGateNotLearnedFlag ? kGateNotLearnedFlag : 0;
  return flag + std::clamp(reference % kGateNotLearnedFlag, 0, std::max(gate_count - 1, 0));
}

bool timing_usable(const TimingGatesFile& f) {
  return !f.gates.empty() && timed_references(f.first_lap) >= 1 &&
         timed_references(f.normal_lap) >= 1;
}

void load_timing_gates(const std::string& track_path) {
  TrackState& track = g_world.track;
  TrackTiming& timing = track.timing;
  timing = TrackTiming{};
  std::string path = track_path + "/timing_gates";
  auto text = read_text_file(path);
  TimingGatesFile f = text ? parse_timing_gates(*text, path) : TimingGatesFile{};
  int gates = static_cast<int>(f.gates.size());
  for (int& r : f.first_lap) r = clean_lap_reference(r, gates);
  for (int& r : f.normal_lap) r = clean_lap_reference(r, gates);

  for (StartPosition& s : f.starts) {
    StartGate g;
    auto name = [](const std::string& n, const char* fallback) {
      return n.empty() ? std::string(fallback) : n;
    };
    // The gate object stands a little ahead of where the bike waits.
    g.statue = create_statue(
        s.x - kStartGateOffset * std::sin(s.yaw), s.y, s.z - kStartGateOffset * std::cos(s.yaw),
        s.yaw, name(s.model, kDefaultStartGateModel), name(s.texture, kDefaultStartGateTexture),
        name(s.shape, kDefaultStartGateShape));
    track.scenery.statues[size_t(g.statue)].saved = false;
    g.position = std::move(s);
    timing.starts.push_back(std::move(g));
  }
  track.start_positions = static_cast<int>(timing.starts.size());
  // Kept even when unusable, for the editor; only usable lists time laps.
  timing.active = timing_usable(f);
  timing.gates = std::move(f.gates);
  timing.first_lap = std::move(f.first_lap);
  timing.normal_lap = std::move(f.normal_lap);
  if (text && !timing.active) {
    // A track that races without laps looks broken to the rider; the log says why.
    kota::log_printf("Warning: '%.400s' has no usable gates and lap lists: laps are not timed\n",
                     path.c_str());
  }
  if (timing.active) {
    track.first_lap_entries = static_cast<int>(timing.first_lap.size());
    track.normal_lap_entries = static_cast<int>(timing.normal_lap.size());
  }
  if (g_world.options.debug_level >= 1) {
    kota::log_printf("Found %d timing gates, first lap has %d gates, normal lap has %d\n",
                     static_cast<int>(timing.gates.size()), track.first_lap_entries,
                     track.normal_lap_entries);
  }
}

}  // namespace br
