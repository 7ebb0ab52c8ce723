// Archive headers (".saf"): every member the reader accepts must lie inside the file.
#include <cstdio>
#include <cstdlib>

#include "files/archive_format.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FILE* f = fmemopen(const_cast<uint8_t*>(data), size, "rb");
  if (!f) return 0;
  auto members = br::read_archive_header(f, size);
  std::fclose(f);
  if (!members) return 0;
  for (const br::ArchiveMember& m : *members) {
    if (m.offset > size || m.size > size - m.offset) std::abort();
    br::archive_name_is_safe(m.name);
  }
  return 0;
}
