// The data layer's reading of compressed and scrambled variants: the first byte picks the
// variant the rest of the input is stored as.
#include "files/data_file.h"

#include <string>

#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  static const char* const kNames[] = {"f.gz", "f.scram", "f.gz.scram", "f"};
  const char* name = kNames[data[0] % 4];
  br_fuzz::put_home_file(name, {data + 1, size - 1});
  br::DataFilePtr f(br::data_open("@f", "rb"));
  if (!f) return 0;
  // Reading in odd-sized pieces crosses the inflate window's edges.
  char block[777];
  while (br::data_read(f.get(), block, sizeof block) > 0) {
    if (br::data_getc(f.get()) < 0) break;
  }
  return 0;
}
