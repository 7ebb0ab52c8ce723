#include "platform/key_codes.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/devices.h"
#include "platform/event_queue.h"
#include "platform/key_names.h"
#include "platform/names.h"

namespace kota {
namespace {

using Compare = int (*)(const char*, const char*);

std::optional<int32_t> match_names(const char* name, Compare compare) {
  for (const SpecialName& s : kSpecialNames) {
    if (compare(name, s.name) == 0) return s.code;
  }
  for (int scan = 0; scan < kScanCodeCount; ++scan) {
    const char* system = system_key_name(scan);
    // A scan code the system has no name for must not match an empty name.
    if (system[0] && compare(name, system) == 0) return kEventKeyBase + scan;
  }
  for (const KeyName& k : kBuiltinKeyNames) {
    if (compare(name, k.name) == 0) return kEventKeyBase + k.scan;
  }
  return std::nullopt;
}

// "Device.key[N]" or "Device button N": the code of button N of an existing device.
std::optional<int32_t> device_button_code(const char* name) {
  char device_name[kMaxDeviceNameLength + 1] = {};
  int button = -1;
  bool parsed = std::sscanf(name, "%63[^.].key[%d]", device_name, &button) == 2;
  if (!parsed) {
    char word[8] = {};
    parsed = std::sscanf(name, "%63s %7s %d", device_name, word, &button) == 3 &&
             std::strcmp(word, "button") == 0;
  }
  if (!parsed || button < 0 || button > 255) return std::nullopt;
  const InputDevice* device = device_find(device_name);
  if (!device || button >= device->button_count) return std::nullopt;
  return (device->id << 16) | button;
}

}  // namespace

std::optional<int32_t> key_code(const char* name) {
  if (!name) return std::nullopt;
  name = alias_lookup(name);
  if (auto code = match_names(name, std::strcmp)) return code;
  if (auto code = match_names(name, names_equal_loosely)) return code;
  unsigned scan = 0;
  char rest = 0;
  // The whole name must be the number: "0x1fz" is not a scan code.
  if (std::sscanf(name, "0x%x%c", &scan, &rest) == 1 && scan < kScanCodeCount) {
    return kEventKeyBase + static_cast<int32_t>(scan);
  }
  return device_button_code(name);
}

const char* key_name(int32_t code) {
  for (const SpecialName& s : kSpecialNames) {
    if (s.code == code) return intern(s.name);
  }
  if (code < kEventKeyBase || code >= kEventKeyBase + kScanCodeCount) {
    const InputDevice* device = device_by_id(code >> 16);
    if (!device || code < 0x10000) return nullptr;
    char text[1100];
    std::snprintf(text, sizeof text, "%.1000s button %d", device->name.c_str(), code & 0xFFFF);
    return intern(text);
  }
  int scan = code - kEventKeyBase;
  const char* system = system_key_name(scan);
  if (system[0]) return intern(system);
  for (const KeyName& k : kBuiltinKeyNames) {
    if (k.scan == scan) return intern(k.name);
  }
  char text[16];
  std::snprintf(text, sizeof text, "0x%x", scan);
  return intern(text);
}

}  // namespace kota
