// "results.txt" for a small race: a clean winner, a rider who skipped a gate and paid for it,
// and a rider who never finished and is left out.
#include "race/results_file.h"

#include <gtest/gtest.h>

namespace br {
namespace {

// F = 3, N = 2: three laps are positions 0..6.
void five_gates(World& w) {
  TrackTiming& t = w.track.timing;
  t = TrackTiming{};
  for (int i = 0; i < 5; ++i) t.gates.push_back({4, 10.0f * i, 0, 0, 1, 0, 0});
  t.first_lap = {0, 1, 2};
  t.normal_lap = {3, 100004};
  t.active = true;
}

void rider(World& w, int slot, const char* number, const char* model,
           std::vector<int32_t> times, bool finished, int32_t penalty) {
  RiderSlot& s = w.slots[static_cast<size_t>(slot)];
  s.identity.number = number;
  s.identity.bike_model = model;
  s.timing.gates_passed = static_cast<int>(times.size());
  s.timing.gate_times = std::move(times);
  s.timing.finished = finished;
  RiderOrderEntry e;
  e.slot = slot;
  e.progress = s.timing.gates_passed;
  e.last_step = s.timing.gate_times.back() + penalty;
  e.penalty_steps = penalty;
  w.order.push_back(e);
}

TEST(ResultsFile, LaysOutTheFinishersTimesAndGates) {
  auto w = std::make_unique<World>();
  five_gates(*w);
  w->track.dir = "small";
  w->session.race_laps = 3;
  w->session.duration_frames = 10 * 60 * 128;
  w->race_start_frame = 128;
  rider(*w, 4, "7", "cr250", {256, 384, 512, 640, 768, 960, 1088}, true, 0);
  // Skipped gate 1; a second's penalty puts him at 8 s.
  rider(*w, 0, "123", "kx125", {320, -1, 512, 704, 832, 960, 1024}, true, 128);
  rider(*w, 9, "42", "rm125", {300, 400}, false, 0);
  EXPECT_EQ(results_text(*w, 1234567890),
            "Time=600.00|Laps=3|Track=small|Date=1234567890\r\n"
            " No. |         Bike | Laps | Total Time | BLap |  Best Time\r\n"
            "   7 |        cr250 |    3 |   0:07.500 |    2 |   0:02.000\r\n"
            " 123 |        kx125 |    3 |   0:08.000 |    3 |   0:01.500\r\n"
            "\r\n7\r\n"
            "   1.000    2.000    3.000\r\n"
            "   4.000    5.000\r\n"
            "   6.500    7.500\r\n"
            "\r\n7\r\n"
            "   1.500       -1    3.000\r\n"
            "   4.500    5.500\r\n"
            "   6.500    7.000\r\n");
}

TEST(ResultsFile, ARiderShortOfALapBreaksTheLineWhereHeStopped) {
  auto w = std::make_unique<World>();
  five_gates(*w);
  w->track.dir = "t";
  rider(*w, 0, "5", "yz250", {128, 256, 384, 512}, true, 0);
  std::string text = results_text(*w, 0);
  EXPECT_NE(text.find("\r\n4\r\n   1.000    2.000    3.000\r\n   4.000\r\n"), std::string::npos)
      << text;
  // One lap done: no best lap yet.
  EXPECT_NE(text.find("|    1 |   0:04.000 |    0 |   0:00.000\r\n"), std::string::npos) << text;
}

}  // namespace
}  // namespace br
