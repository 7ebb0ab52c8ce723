// A bike's .braap engine tuning, read over a class's own and then played.
#include "audio/braap.h"

#include "engine_voice.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  br_fuzz::put_home_file("t.braap", {data, size});
  br::EngineTuning t = br::class_tuning(size % 2 ? "250" : "450f");
  if (br::read_braap("@t.braap", t)) br_fuzz::play_tuning(t);
  br_fuzz::reset_caches(true);
  return 0;
}
