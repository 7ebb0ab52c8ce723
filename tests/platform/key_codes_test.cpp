#include "platform/key_codes.h"

#include <gtest/gtest.h>

#include <cstring>

#include "fake_device.h"
#include "platform/devices.h"
#include "platform/event_queue.h"
#include "platform/key_names.h"

namespace {

using kota::key_code;
using kota::key_name;
constexpr int32_t kKey = kota::kEventKeyBase;

class KeyCodesTest : public ::testing::Test {
 protected:
  void SetUp() override { kota::key_names_set_system_source(nullptr); }
  void TearDown() override {
    kota::key_names_set_system_source(nullptr);
    kota::devices_destroy_all();
  }
};

TEST_F(KeyCodesTest, NamesMatchLooselyAndScanCodesByNumber) {
  EXPECT_EQ(key_code("left ctrl"), kKey + 0x1D);
  EXPECT_EQ(key_code("Left_Ctrl"), kKey + 0x1D);
  EXPECT_EQ(key_code("KEYPAD\tENTER"), kKey + 0x11C);
  EXPECT_EQ(key_code("0x1f"), kKey + 0x1F);
  EXPECT_EQ(key_code("0x1ff"), kKey + 0x1FF);
  EXPECT_EQ(key_code("0x200"), std::nullopt);
  EXPECT_EQ(key_code("0x1fz"), std::nullopt);
  EXPECT_EQ(key_code("no such key"), std::nullopt);
  EXPECT_EQ(key_code(nullptr), std::nullopt);
  EXPECT_EQ(key_code("close"), kota::kEventWindowClosed);
  EXPECT_EQ(key_code(" "), kKey + 0x39);
}

TEST_F(KeyCodesTest, EveryBuiltInNameRoundTrips) {
  for (const kota::KeyName& k : kota::kBuiltinKeyNames) {
    EXPECT_EQ(key_code(k.name), kKey + k.scan) << k.name;
    const char* name = key_name(kKey + k.scan);
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(key_code(name), kKey + k.scan) << name;
  }
  for (const kota::SpecialName& s : kota::kSpecialNames) {
    EXPECT_EQ(key_code(s.name), s.code);
    EXPECT_STREQ(key_name(s.code), s.name);
  }
}

TEST_F(KeyCodesTest, AScanCodeWithoutANameIsNamedByItsNumber) {
  EXPECT_STREQ(key_name(kKey + 0x1FF), "0x1ff");
  EXPECT_EQ(key_code(key_name(kKey + 0x1FF)), kKey + 0x1FF);
  EXPECT_EQ(key_name(kKey + 0x1FF), key_name(kKey + 0x1FF));  // interned
  EXPECT_EQ(key_name(12345), nullptr);
}

const char* fake_system_name(int scan) {
  if (scan == 0x1C) return "Return";
  if (scan == 0x1D) return "Left Ctrl";
  return scan == 0x2D ? nullptr : "";
}

TEST_F(KeyCodesTest, SystemNamesComeFirstAndEmptyOnesNeverMatch) {
  kota::key_names_set_system_source(fake_system_name);
  EXPECT_EQ(key_code("Return"), kKey + 0x1C);
  EXPECT_EQ(key_code("return"), kKey + 0x1C);
  EXPECT_STREQ(key_name(kKey + 0x1C), "Return");
  // The built-in name is still understood, and names keys the system leaves unnamed.
  EXPECT_EQ(key_code("Enter"), kKey + 0x1C);
  EXPECT_STREQ(key_name(kKey + 0x2D), "X");
  EXPECT_EQ(key_code(""), std::nullopt);
}

TEST_F(KeyCodesTest, KeysOfTheKeyboardTranslateToTheirScanCodes) {
  EXPECT_EQ(kota::scan_from_usb_usage(27), 0x2D);    // X
  EXPECT_EQ(kota::scan_from_usb_usage(228), 0x11D);  // right ctrl
  EXPECT_EQ(kota::scan_from_usb_usage(88), 0x11C);   // keypad enter
  EXPECT_EQ(kota::scan_from_usb_usage(83), 0x145);   // num lock
  EXPECT_EQ(kota::scan_from_usb_usage(72), 0x45);    // pause
  EXPECT_EQ(kota::scan_from_usb_usage(0), -1);
  // Every named key can be typed.
  for (const kota::KeyName& k : kota::kBuiltinKeyNames) {
    int usage = kota::usb_usage_from_scan(k.scan);
    ASSERT_GE(usage, 0) << k.name;
    EXPECT_EQ(kota::scan_from_usb_usage(usage), k.scan) << k.name;
  }
}

TEST_F(KeyCodesTest, DeviceButtonsByNameInRangeOnly) {
  br_test::FakeDevice* pad = br_test::add_fake_device("GamePad", 2, 4);
  int32_t base = pad->id << 16;
  EXPECT_EQ(key_code("GamePad button 3"), base | 3);
  EXPECT_EQ(key_code("GamePad.key[0]"), base | 0);
  EXPECT_EQ(key_code("GamePad button 4"), std::nullopt);
  EXPECT_EQ(key_code("GamePad.key[-1]"), std::nullopt);
  EXPECT_EQ(key_code("GamePad bouton 1"), std::nullopt);
  EXPECT_EQ(key_code("Missing button 0"), std::nullopt);
  EXPECT_STREQ(key_name(base | 3), "GamePad button 3");
  EXPECT_EQ(key_name((pad->id + 1) << 16), nullptr);

  kota::register_builtin_aliases();
  br_test::FakeDevice* stick = br_test::add_fake_device("Joystick1", 2, 2);
  EXPECT_EQ(key_code("joystick-a-2"), (stick->id << 16) | 1);
  EXPECT_EQ(key_code("cursor-right"), kota::kEventMouseRight);
}

}  // namespace
