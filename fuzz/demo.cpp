// Demo files, as the tools summarise them and as the game plays them: the header, then the
// blocks (or old frames) read ahead step by step into the riders' histories, with seeks back
// and forward along the block chain the way the replay keys move.
#include <cstdlib>

#include "fuzz_support.h"
#include "replay/demo_format.h"
#include "replay/demo_player.h"
#include "replay/history.h"
#include "world/world.h"

namespace {

constexpr int kStepsPlayed = 300;

void tick(br::World& w) {
  ++w.frame;
  br::playback_step(w);
}

// Only what playback touches goes back to how a fresh world has it: resetting the whole
// world for every input would cost more than the playback itself.
void forget_playback(br::World& w) {
  br::close_playback(w);
  br::reset_histories(w);
  for (br::RiderSlot& slot : w.slots) slot.last_server_frame = 0;
  w.frame = 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  br_fuzz::put_home_file("fuzz.brdemo", {data, size});
  br::DemoSummary summary;
  std::string error;
  if (br::summarise_demo("@fuzz.brdemo", summary, error)) {
    br::demo_summary_text(summary);
    if (summary.trailing_bytes < 0 || summary.blocks < 0) std::abort();
  }

  br::World& w = br::g_world;
  if (br::open_playback(w, "@fuzz.brdemo")) {
    // Riders land in slots from the back, so that ordinals and slots differ.
    for (int i = 0; i < w.replay.player.header.riders; ++i) {
      br::bind_demo_rider(w, i, (br::kRiderSlots - 1 - i) % br::kRiderSlots);
    }
    br::playback_step(w);
    for (int step = 0; step < kStepsPlayed && br::playing(w); ++step) {
      tick(w);
      if (step == kStepsPlayed / 2) br::seek_demo(w, -1.0, tick);
      if (step == kStepsPlayed / 2 + 1) br::seek_demo(w, 0.5, tick);
    }
  }
  forget_playback(w);
  return 0;
}
