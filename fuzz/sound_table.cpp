// Engine sound tables with their sample files: the input is an archive whose member
// "t.soundtable" is loaded (sample files come from the archive or the data set) and played.
#include "audio/sound_table.h"

#include "engine_voice.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (!br_fuzz::put_home_archive({data, size})) return 0;
  // Tables and samples are cached by name for the whole run, as the game does.
  br::sound_tables_clear();
  if (br::SoundTablePtr table = br::load_sound_table("@t.soundtable")) {
    br::EngineTuning t = br::class_tuning("450f");
    t.table = table;
    br_fuzz::play_tuning(t);
  }
  return 0;
}
