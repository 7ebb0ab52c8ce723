#include "platform/pads.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/event_queue.h"

namespace {

struct FakePad : kota::PadDevice {
  std::vector<int> values = std::vector<int>(kota::kPadAxisCount, 0);
  explicit FakePad(const char* pad_name) { name = pad_name; }
  int read_axis(int axis) override { return values[axis]; }
};

FakePad* add_pad(const char* name) {
  return static_cast<FakePad*>(kota::device_add(std::make_unique<FakePad>(name)));
}

std::vector<kota::Event> drain() {
  std::vector<kota::Event> out;
  kota::Event e;
  while (kota::event_pop(e)) out.push_back(e);
  return out;
}

class PadsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    kota::event_clear();
    kota::gamepad_create();
    gamepad = kota::device_find(kota::kGamepadName);
  }
  void TearDown() override {
    kota::devices_destroy_all();
    kota::event_clear();
  }
  int32_t pad_code(const kota::InputDevice* d, int button) { return (d->id << 16) | button; }
  kota::InputDevice* gamepad = nullptr;
  kota::ClockTime now = kota::clock_from_seconds(5.0);
};

TEST_F(PadsTest, TheGamepadPressesFirstAndOnceForAButtonHeldOnTwoPads) {
  ASSERT_NE(gamepad, nullptr);
  FakePad* one = add_pad("PadOne");
  FakePad* two = add_pad("PadTwo");

  kota::pad_set_button(*one, kota::kPadA, true, now);
  kota::pad_set_button(*one, kota::kPadA, true, now);  // no change, no event
  auto events = drain();
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0].code, pad_code(gamepad, kota::kPadA));
  EXPECT_TRUE(events[0].pressed);
  EXPECT_EQ(events[1].code, pad_code(one, kota::kPadA));

  kota::pad_set_button(*two, kota::kPadA, true, now);
  kota::pad_set_button(*one, kota::kPadA, false, now);
  events = drain();
  ASSERT_EQ(events.size(), 2u);  // only the pads' own: the Gamepad's A is still held
  EXPECT_EQ(events[0].code, pad_code(two, kota::kPadA));
  EXPECT_EQ(events[1].code, pad_code(one, kota::kPadA));

  kota::pad_set_button(*two, kota::kPadA, false, now);
  events = drain();
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0].code, pad_code(gamepad, kota::kPadA));
  EXPECT_FALSE(events[0].pressed);
  kota::pad_set_button(*two, kota::kPadButtonCount, true, now);  // no such button
  EXPECT_TRUE(drain().empty());
}

TEST_F(PadsTest, TheGamepadReadsThePadPushedFurthestAndAPulledPadLetsGo) {
  FakePad* resting = add_pad("Resting");
  FakePad* used = add_pad("Used");
  int steer = kota::axis_open("Gamepad.axis[0]");
  int throttle = kota::axis_open("Gamepad.axis[5]");
  resting->values[kota::kPadLeftX] = 300;  // a worn stick's drift
  used->values[kota::kPadLeftX] = -20000;
  used->values[kota::kPadRightTrigger] = 32767;
  EXPECT_EQ(kota::axis_read(steer), -20000);
  EXPECT_EQ(kota::axis_read(throttle), 32767);

  kota::pad_set_button(*used, kota::kPadLeftShoulder, true, now);
  drain();
  // Pulled out with the brake held: the brake must come off, not stay on for the race.
  kota::pad_release_all(*used, now);
  kota::device_remove(used);
  auto events = drain();
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0].code, pad_code(gamepad, kota::kPadLeftShoulder));
  EXPECT_FALSE(events[0].pressed);
  EXPECT_EQ(kota::axis_read(steer), 300);
  EXPECT_EQ(kota::axis_read(throttle), 0);
}

}  // namespace
