// Input devices: named sources of button events and analogue axes (the window cursor, the
// system mouse, joysticks). Devices register here; the game reaches them only by name, as
// button event codes and axis handles, so it never depends on how a device is read.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace kota {

constexpr int kMaxDeviceAxes = 100;
constexpr int kMaxDeviceButtons = 500;
constexpr int kMaxDeviceNameLength = 63;  // longest device name that names can refer to
constexpr int kAxisMax = 32767;           // joystick axes read -32767..32767

struct InputDevice {
  std::string name;
  int32_t id = 0;  // 15 bits; button b of the device is the event code (id << 16) | b
  int axis_count = 0;
  int button_count = 0;
  int open_axes = 0;        // open axis handles on this device
  bool needs_poll = false;  // poll() queues this device's button events

  virtual ~InputDevice() = default;
  // Called when the first axis handle opens and after the last one closes.
  virtual bool open() { return true; }
  virtual void close() {}
  virtual void poll() {}
  virtual int read_axis(int axis) = 0;
};

// The id a device named `name` gets among the devices already registered: a checksum of the
// name, moved on past 0 and past ids in use.
int32_t device_id_for_name(const char* name);

// Registers a device under its name (the id is computed here). Returns the registered device.
// Axis handles left by an earlier device of the same name take it up again.
InputDevice* device_add(std::unique_ptr<InputDevice> device);
// Destroys a device that has gone (a pad pulled out). Its axis handles stay open, read 0 and
// follow the next device of the same name.
void device_remove(InputDevice* device);
// Counts device additions and removals, so that users of device names know when to look
// them up again.
int devices_generation();
InputDevice* device_find(const char* name);
InputDevice* device_by_id(int32_t id);
const std::vector<std::unique_ptr<InputDevice>>& devices();
// Polls every device that needs polling.
void devices_poll();
// Closes every axis handle and destroys every device.
void devices_destroy_all();

// The device name of a joystick: its product name without blanks and '.', with "#2", "#3"
// ... appended when a device of that name exists already.
std::string joystick_device_name(const char* product);

// Axis handles by name ("Device.axis[N]", "Device axis N" or an alias of one); -1 when the
// name names no axis. Reading a handle that is not open, or whose device has gone, gives 0.
int axis_open(const char* name);
int axis_read(int handle);
void axis_close(int handle);

// The aliases every setup has: cursor-x, mouse-left, joystick-a-x and the rest. Registers
// them once per process.
void register_builtin_aliases();

}  // namespace kota
