#include "series.h"

#include <iterator>
#include <vector>

#include "kit.h"
#include "track/text_lines.h"

namespace kit {
namespace {

struct KitEvent {
  const char* name;
  const char* track;
  int laps;
  int minutes;
  bool closes_round;
};

// Points for places 1..40 of a moto, and for ranks 1..40 of a round.
constexpr int kMotoPoints[] = {25, 22, 20, 18, 16, 15, 14, 13, 12, 11,
                               10, 9,  8,  7,  6,  5,  4,  3,  2,  1};
constexpr int kRoundPoints[] = {50, 44, 40, 36, 32, 30, 28, 26, 24, 22,
                                20, 18, 16, 14, 12, 10, 8,  6,  4,  2};

void append_points(std::string& out, const int* table, size_t count) {
  for (size_t i = 0; i < 40; ++i) br::appendf(out, "%d ", i < count ? table[i] : 0);
  out += "\n";
}

std::string series_text(const char* name, const char* skill, const std::vector<int>& riders,
                        const std::vector<KitEvent>& events) {
  std::string out;
  br::appendf(out, "\"%s\"\n%d %s\n", name, static_cast<int>(riders.size()), skill);
  for (int r : riders) br::appendf(out, "%d ", r);
  br::appendf(out, "\n%d\n", static_cast<int>(events.size()));
  for (const KitEvent& e : events) {
    br::appendf(out, "\n\"%s\" %s %d %d\n", e.name, e.track, e.laps, e.minutes);
    append_points(out, kMotoPoints, std::size(kMotoPoints));
    if (e.closes_round) {
      append_points(out, kRoundPoints, std::size(kRoundPoints));
    } else {
      append_points(out, nullptr, 0);
    }
  }
  return out;
}

}  // namespace

bool write_points_series(const std::string& root) {
  bool ok = write_file(root, "novice.series",
                       series_text("Foundry Novice Cup", "Novice", {23, 31, 47, 58, 72},
                                   {{"Foundry Moto 1", "foundry", 2, 0, true},
                                    {"Foundry Moto 2", "foundry", 2, 0, true},
                                    {"Foundry Moto 3", "foundry", 2, 0, true}}));
  ok &= write_file(root, "expert.series",
                   series_text("Two Tracks Expert Series", "Expert", {21, 34, 45, 66, 81, 99},
                               {{"Rabbit Hill Moto 1", "rabbithill", 3, 0, false},
                                {"Rabbit Hill Moto 2", "rabbithill", 3, 0, true},
                                {"Foundry Moto 1", "foundry", 4, 0, false},
                                {"Foundry Moto 2", "foundry", 4, 0, true}}));
  return ok;
}

}  // namespace kit
