// Keyboard scan codes and their names. Keys are known to the game by PC set-1 scan codes
// (extended keys have 0x100 added), whatever the windowing system calls them, so stored
// bindings mean the same key on every machine.
#pragma once

#include <cstdint>

namespace kota {

constexpr int kScanCodeCount = 512;

// Names of the codes that are not keys or device buttons, e.g. "Close", "Mouse Left".
struct SpecialName {
  int32_t code;
  const char* name;
};
constexpr int kSpecialNameCount = 4;
extern const SpecialName kSpecialNames[kSpecialNameCount];

// The built-in key names, used when the system has no name for a scan code.
struct KeyName {
  int scan;
  const char* name;
};
constexpr int kBuiltinKeyNameCount = 98;
extern const KeyName kBuiltinKeyNames[kBuiltinKeyNameCount];

// USB HID keyboard usage (the numbering of the windowing library's scancodes) to set-1 scan
// code; -1 for keys that have no set-1 code.
int scan_from_usb_usage(int usage);
// The reverse, for naming: the usage of a set-1 scan code, or -1.
int usb_usage_from_scan(int scan);

// Where the system's own key names come from: the name of a set-1 scan code, or an empty or
// null text when the system has none. The names are fetched once, on first use after the
// source is set; nullptr removes the source (every system name is then empty).
using SystemKeyNameSource = const char* (*)(int scan);
void key_names_set_system_source(SystemKeyNameSource source);
// The interned system name of a scan code, "" when there is none.
const char* system_key_name(int scan);

}  // namespace kota
