// The data-file text reader: the scanf engine, comment skipping and line reading as the
// game's text formats call them.
#include "files/data_file.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  br_fuzz::put_home_file("t", {data, size});
  br::DataFilePtr f(br::data_open("@t", "rb"));
  if (!f) return 0;
  for (int round = 0; round < 64; ++round) {
    br::data_skip_comments(f.get());
    int i = 0;
    float x = 0, y = 0, z = 0;
    char word[64], rest[256];
    unsigned u = 0;
    long long ll = 0;
    int used = 0;
    int n = 0;
    switch (round % 6) {
      case 0:
        n = br::data_scanf(f.get(), "%d %f %f %f ", &i, &x, &y, &z);
        break;
      case 1:
        n = br::data_scanf(f.get(), "%63s %n%255[^\n]", word, &used, rest);
        break;
      case 2:
        n = br::data_read_int(f.get()) == br::kNoInt ? -1 : 1;
        break;
      case 3:
        n = br::data_scanf(f.get(), "%x %llu %*s %c", &u, &ll, word);
        break;
      case 4:
        n = br::data_gets(rest, sizeof rest, f.get()) ? 1 : -1;
        break;
      case 5:
        n = br::data_scanf(f.get(), "%3[0-9a-f]%g%%", word, &x);
        break;
    }
    if (n < 0 && br::data_getc(f.get()) < 0) break;
  }
  return 0;
}
