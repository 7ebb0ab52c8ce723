// The configuration file and the binding syntax. Whatever is read, writing the settings and
// reading them back must give the same file: a round trip that changes the player's settings
// is a fault even when nothing crashes.
#include <cstdlib>
#include <string>

#include "fuzz_support.h"
#include "shell/config_file.h"
#include "world/world.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  br::World& w = br::g_world;
  br::world_reset();
  br::config_read_text(w, br_fuzz::as_text(data, size));
  std::string first = br::config_write(w);
  br::world_reset();
  br::config_read_text(w, first);
  if (br::config_write(w) != first) std::abort();

  std::string text(br_fuzz::as_text(data, size).substr(0, 2048));
  br::Binding b = w.bindings[0];
  br::binding_parse(b, text.c_str());
  for (int raw : {-32768, -1, 0, 1, 32767}) br::binding_axis_value(b, raw);
  return 0;
}
