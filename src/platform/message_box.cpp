#include "platform/message_box.h"

#include <cstdio>
#include <cstring>

namespace kota {

// No window library is linked yet, so every box takes the no-display path.
void message_box(const char* title, const char* text) {
  std::fprintf(stderr, "%s: %s", title, text);
  size_t n = std::strlen(text);
  if (n == 0 || text[n - 1] != '\n') std::fputc('\n', stderr);
  std::fflush(stderr);
}

}  // namespace kota
