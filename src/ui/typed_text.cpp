#include "ui/typed_text.h"

#include <cstring>

#include "platform/event_queue.h"

namespace br {
namespace {

constexpr int32_t kLeftShift = 0x2A;
constexpr int32_t kRightShift = 0x36;
constexpr int32_t kBackspace = 0x0E;
constexpr int32_t kKeypadSlash = 0x135;  // an extended key

// The main block's rows from their first scan code, plain and shifted.
struct KeyRow {
  int32_t first;
  const char* plain;
  const char* shifted;
};
constexpr KeyRow kRows[] = {
    {0x02, "1234567890-=", "!@#$%^&*()_+"},
    {0x10, "qwertyuiop[]", "QWERTYUIOP{}"},
    {0x1E, "asdfghjkl;'`", "ASDFGHJKL:\"~"},
    {0x2B, "\\zxcvbnm,./", "|ZXCVBNM<>?"},
    {0x37, "*", "*"},
    {0x39, " ", " "},
    // The keypad types the same with or without shift.
    {0x47, "789-456+1230.", "789-456+1230."},
};

}  // namespace

char typed_char(int32_t code, bool shift) {
  int32_t scan = code - kota::kEventKeyBase;
  if (scan == kKeypadSlash) return '/';
  for (const KeyRow& row : kRows) {
    int32_t index = scan - row.first;
    if (index >= 0 && index < static_cast<int32_t>(std::strlen(row.plain))) {
      return (shift ? row.shifted : row.plain)[index];
    }
  }
  return 0;
}

bool is_shift_key(int32_t code) {
  int32_t scan = code - kota::kEventKeyBase;
  return scan == kLeftShift || scan == kRightShift;
}

bool is_backspace_key(int32_t code) {
  return code - kota::kEventKeyBase == kBackspace;
}

}  // namespace br
