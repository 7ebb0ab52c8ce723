#include "platform/devices.h"

#include <cstdio>
#include <cstring>

#include "platform/log.h"
#include "platform/names.h"

namespace kota {
namespace {

constexpr int32_t kIdMask = 0x7FFF;

struct AxisHandle {
  bool in_use = false;
  InputDevice* device = nullptr;  // nullptr while the device is away
  std::string device_name;        // what a returning device is known by
  int axis = 0;
};

int g_generation = 0;

void release_axis(InputDevice* device) {
  if (device && --device->open_axes == 0) device->close();
}

std::vector<std::unique_ptr<InputDevice>>& registry() {
  static std::vector<std::unique_ptr<InputDevice>> list;
  return list;
}

std::vector<AxisHandle>& handles() {
  static std::vector<AxisHandle> list;
  return list;
}

int32_t name_checksum(const char* name) {
  uint32_t even = 0, odd = 0;
  for (size_t i = 0; name[i]; ++i) {
    auto c = static_cast<unsigned char>(name[i]);
    if (i % 2 == 0) {
      even += c;
    } else {
      odd += c;
    }
  }
  return static_cast<int32_t>(((even & 0xFFFF) + 256 * (odd & 0xFF)) & kIdMask);
}

// "Name.axis[N]" or "Name axis N": the device and the axis index.
bool parse_axis_name(const char* name, char (&device)[kMaxDeviceNameLength + 1], int& axis) {
  if (std::sscanf(name, "%63[^.].axis[%d]", device, &axis) == 2) return true;
  char word[8] = {};
  return std::sscanf(name, "%63s %7s %d", device, word, &axis) == 3 &&
         std::strcmp(word, "axis") == 0;
}

}  // namespace

int32_t device_id_for_name(const char* name) {
  int32_t id = name_checksum(name);
  for (int tries = 0; tries < 65535; ++tries) {
    if (id != 0 && !device_by_id(id)) return id;
    id = (id + 1) & kIdMask;
  }
  return 0;
}

InputDevice* device_add(std::unique_ptr<InputDevice> device) {
  device->id = device_id_for_name(device->name.c_str());
  if (device->id == 0) {
    log_printf("No free device id for \"%s\"\n", device->name.c_str());
    return nullptr;
  }
  registry().push_back(std::move(device));
  InputDevice* added = registry().back().get();
  ++g_generation;
  for (AxisHandle& h : handles()) {
    if (!h.in_use || h.device || h.device_name != added->name || h.axis >= added->axis_count) {
      continue;
    }
    if (added->open_axes == 0 && !added->open()) break;
    added->open_axes += 1;
    h.device = added;
  }
  return added;
}

void device_remove(InputDevice* device) {
  for (AxisHandle& h : handles()) {
    if (h.device != device) continue;
    release_axis(device);
    h.device = nullptr;
  }
  auto& list = registry();
  for (auto it = list.begin(); it != list.end(); ++it) {
    if (it->get() == device) {
      list.erase(it);
      ++g_generation;
      return;
    }
  }
}

int devices_generation() {
  return g_generation;
}

InputDevice* device_find(const char* name) {
  for (auto& d : registry()) {
    if (d->name == name) return d.get();
  }
  return nullptr;
}

InputDevice* device_by_id(int32_t id) {
  for (auto& d : registry()) {
    if (d->id == id) return d.get();
  }
  return nullptr;
}

const std::vector<std::unique_ptr<InputDevice>>& devices() {
  return registry();
}

void devices_poll() {
  for (auto& d : registry()) {
    if (d->needs_poll) d->poll();
  }
}

void devices_destroy_all() {
  for (AxisHandle& h : handles()) release_axis(h.device);
  handles().clear();
  registry().clear();
  ++g_generation;
}

std::string joystick_device_name(const char* product) {
  std::string base;
  for (const char* p = product; *p; ++p) {
    if (*p != ' ' && *p != '.') base += *p;
  }
  std::string name = base;
  for (int n = 2; device_find(name.c_str()); ++n) name = base + "#" + std::to_string(n);
  return name;
}

int axis_open(const char* name) {
  name = alias_lookup(name);
  char device_name[kMaxDeviceNameLength + 1] = {};
  int axis = -1;
  if (!parse_axis_name(name, device_name, axis) || axis < 0) return -1;
  InputDevice* device = device_find(device_name);
  if (!device || axis >= device->axis_count) return -1;
  if (device->open_axes == 0 && !device->open()) return -1;
  device->open_axes += 1;

  AxisHandle opened{true, device, device->name, axis};
  auto& list = handles();
  for (size_t i = 0; i < list.size(); ++i) {
    if (!list[i].in_use) {
      list[i] = opened;
      return static_cast<int>(i);
    }
  }
  list.push_back(opened);
  return static_cast<int>(list.size() - 1);
}

int axis_read(int handle) {
  auto& list = handles();
  if (handle < 0 || handle >= static_cast<int>(list.size()) || !list[handle].device) return 0;
  return list[handle].device->read_axis(list[handle].axis);
}

void axis_close(int handle) {
  auto& list = handles();
  if (handle < 0 || handle >= static_cast<int>(list.size()) || !list[handle].in_use) return;
  release_axis(list[handle].device);
  list[handle] = AxisHandle{};
}

void register_builtin_aliases() {
  static bool registered = false;
  if (registered) return;
  registered = true;
  static const char* const kAliases[][2] = {
      {"cursor-left", "Mouse Left"},         {"cursor-middle", "Mouse Middle"},
      {"cursor-right", "Mouse Right"},       {"cursor-x", "cursor.axis[0]"},
      {"cursor-y", "cursor.axis[1]"},        {"mouse-x", "Mouse.axis[0]"},
      {"mouse-y", "Mouse.axis[1]"},          {"mouse-left", "Mouse.key[0]"},
      {"mouse-right", "Mouse.key[1]"},       {"mouse-middle", "Mouse.key[2]"},
      {"joystick-a-x", "Joystick1.axis[0]"}, {"joystick-a-y", "Joystick1.axis[1]"},
      {"joystick-a-1", "Joystick1.key[0]"},  {"joystick-a-2", "Joystick1.key[1]"},
      {"joystick-b-x", "Joystick2.axis[0]"}, {"joystick-b-y", "Joystick2.axis[1]"},
      {"joystick-b-1", "Joystick2.key[0]"},  {"joystick-b-2", "Joystick2.key[1]"},
  };
  for (const auto& a : kAliases) alias_add(a[0], a[1]);
}

}  // namespace kota
