// Textures with their side files: the input is an archive whose members land in the fuzz home,
// so a picture comes with its ".info" metadata (a bike's plate colours among it), an animation
// with its frames and a link with its target. The members "t.png", "t.seq" and "t.pgm" are
// loaded through the texture cache.
#include "bike/bike_parts.h"
#include "files/archive_format.h"
#include "fuzz_support.h"
#include "render/texture_cache.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (!br_fuzz::put_home_archive({data, size})) return 0;
  // A bike texture's metadata also carries its number plate's colours.
  br::parse_plate_colours(br::texture_metadata(br::texture_load("@t.png")));
  br::texture_load("!@t.seq");
  br::texture_load_terrain("@t.png");
  br::texture_load_grey("@t.pgm");
  br::texture_animate(1.0);
  br::texture_animate(2.5);
  br_fuzz::reset_caches();
  return 0;
}
