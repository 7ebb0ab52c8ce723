// An input device whose axes and open state the test sets and watches.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/devices.h"

namespace br_test {

struct FakeDevice : kota::InputDevice {
  std::vector<int> values;
  int opens = 0;
  int closes = 0;
  FakeDevice(const std::string& device_name, int axes, int buttons) {
    name = device_name;
    axis_count = axes;
    button_count = buttons;
    values.assign(axes, 0);
  }
  bool open() override {
    ++opens;
    return true;
  }
  void close() override { ++closes; }
  int read_axis(int axis) override { return values[axis]; }
};

inline FakeDevice* add_fake_device(const std::string& name, int axes, int buttons) {
  return static_cast<FakeDevice*>(
      kota::device_add(std::make_unique<FakeDevice>(name, axes, buttons)));
}

}  // namespace br_test
