// The track's "timing_gates" file.
#include "race/timing_gates.h"

#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  br::TimingGatesFile f = br::parse_timing_gates(br_fuzz::as_text(data, size), "timing_gates");
  br::timing_usable(f);
  for (int r : f.first_lap) br::clean_lap_reference(r, static_cast<int>(f.gates.size()));
  br::format_timing_gates(f);
  return 0;
}
