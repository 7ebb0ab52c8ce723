#include "platform/devices.h"

#include <gtest/gtest.h>

#include "fake_device.h"

namespace {

using br_test::add_fake_device;

class DevicesTest : public ::testing::Test {
 protected:
  void TearDown() override { kota::devices_destroy_all(); }
};

TEST_F(DevicesTest, IdsComeFromTheName) {
  // Even positions c, r, o sum to 324; odd positions u, s, r to 346, of which 8 bits count.
  EXPECT_EQ(kota::device_id_for_name("cursor"), (324 + 256 * (346 & 0xFF)) & 0x7FFF);
  EXPECT_EQ(kota::device_id_for_name("Mouse"), 0x6327);
}

TEST_F(DevicesTest, ClashingIdsMoveOnPastZeroAndIdsInUse) {
  // Swapping characters at even positions keeps the checksum.
  auto* first = add_fake_device("abcd", 0, 0);
  auto* second = add_fake_device("cbad", 0, 0);
  EXPECT_EQ(second->id, first->id + 1);
  EXPECT_EQ(kota::device_id_for_name(""), 1);  // a checksum of 0 is never an id

  auto* top = add_fake_device("\xFF\x7F", 0, 0);  // 255 + 256 x 127 = 0x7FFF
  EXPECT_EQ(top->id, 0x7FFF);
  auto* wrapped = add_fake_device("\x7F\x7F\x80", 0, 0);
  EXPECT_EQ(wrapped->id, 1);
  EXPECT_EQ(kota::device_by_id(1), wrapped);
}

TEST_F(DevicesTest, JoysticksAreNamedAfterTheirProducts) {
  EXPECT_EQ(kota::joystick_device_name("Game Pad"), "GamePad");
  add_fake_device(kota::joystick_device_name("Game Pad"), 2, 4);
  EXPECT_EQ(kota::joystick_device_name("Game Pad"), "GamePad#2");
  add_fake_device(kota::joystick_device_name("Game Pad"), 2, 4);
  EXPECT_EQ(kota::joystick_device_name("Game Pad"), "GamePad#3");
  EXPECT_EQ(kota::joystick_device_name("Pad v1.0 Pro"), "Padv10Pro");
}

TEST_F(DevicesTest, AxisHandlesOpenTheDeviceOnceAndReadTheirAxis) {
  auto* pedals = add_fake_device("Pedals", 2, 0);
  pedals->values = {-32767, 1234};
  int a = kota::axis_open("Pedals.axis[1]");
  int b = kota::axis_open("Pedals axis 0");
  ASSERT_GE(a, 0);
  ASSERT_GE(b, 0);
  EXPECT_NE(a, b);
  EXPECT_EQ(pedals->opens, 1);
  EXPECT_EQ(kota::axis_read(a), 1234);
  EXPECT_EQ(kota::axis_read(b), -32767);

  kota::axis_close(a);
  EXPECT_EQ(pedals->closes, 0);
  EXPECT_EQ(kota::axis_read(a), 0);  // a closed handle reads nothing
  kota::axis_close(a);               // and closing it again changes nothing
  kota::axis_close(b);
  EXPECT_EQ(pedals->closes, 1);
  EXPECT_EQ(pedals->open_axes, 0);
}

TEST_F(DevicesTest, AxisNamesMustNameAnExistingAxis) {
  add_fake_device("Pedals", 2, 0);
  EXPECT_EQ(kota::axis_open("Pedals.axis[2]"), -1);
  EXPECT_EQ(kota::axis_open("Pedals.axis[-1]"), -1);
  EXPECT_EQ(kota::axis_open("Pedals button 0"), -1);
  EXPECT_EQ(kota::axis_open("Nothing.axis[0]"), -1);
  EXPECT_EQ(kota::axis_read(-1), 0);
  EXPECT_EQ(kota::axis_read(99), 0);

  kota::register_builtin_aliases();
  auto* cursor = add_fake_device("cursor", 2, 0);
  cursor->values = {320, 200};
  int y = kota::axis_open("cursor-y");
  EXPECT_EQ(kota::axis_read(y), 200);
}

}  // namespace

namespace {

TEST_F(DevicesTest, HandlesOfAPulledDeviceReadNothingAndFollowItsReturnByName) {
  auto* stick = add_fake_device("Stick", 2, 0);
  stick->values = {100, 200};
  int x = kota::axis_open("Stick.axis[0]");
  int y = kota::axis_open("Stick.axis[1]");
  int generation = kota::devices_generation();

  kota::device_remove(stick);
  EXPECT_EQ(kota::device_find("Stick"), nullptr);
  EXPECT_NE(kota::devices_generation(), generation);
  EXPECT_EQ(kota::axis_read(x), 0);
  // The handle stays taken: a new axis never lands on it while its binding holds it.
  auto* other = add_fake_device("Other", 1, 0);
  other->values = {7};
  int o = kota::axis_open("Other.axis[0]");
  EXPECT_NE(o, x);
  EXPECT_NE(o, y);

  kota::axis_close(y);  // closed while away: not taken up again
  auto* back = add_fake_device("Stick", 1, 0);
  back->values = {300};
  EXPECT_EQ(kota::axis_read(x), 300);
  EXPECT_EQ(back->opens, 1);
  EXPECT_EQ(back->open_axes, 1);
  EXPECT_EQ(kota::axis_read(o), 7);
  kota::axis_close(x);
  EXPECT_EQ(back->closes, 1);
}

}  // namespace
