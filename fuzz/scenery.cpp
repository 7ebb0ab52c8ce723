// The scenery files of a track; the first byte picks which.
#include "fuzz_support.h"
#include "track/scenery_format.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  auto text = br_fuzz::as_text(data + 1, size - 1);
  switch (data[0] % 6) {
    case 0:
      br::format_billboards(br::parse_billboards(text, "billboards"));
      break;
    case 1:
      br::format_statues(br::parse_statues(text, "statues"));
      break;
    case 2:
      br::format_decals(br::parse_decals(text, "decals"));
      break;
    case 3:
      br::format_cameras(br::parse_cameras(text, "cameras"));
      break;
    case 4:
      br::format_lighting(br::parse_lighting(text, "lighting"));
      break;
    case 5:
      br::format_flaggers(br::parse_flaggers(text, "flaggers"));
      break;
  }
  return 0;
}
