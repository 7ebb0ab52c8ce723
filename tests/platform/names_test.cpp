#include "platform/names.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/log.h"
#include "support/temp_dir.h"

namespace {

TEST(Names, SecondAliasIsRefusedAndLogged) {
  br_test::TempDir dir;
  kota::log_reset();
  setenv("KOTA_LOGFILE", dir.file("log").c_str(), 1);
  EXPECT_TRUE(kota::alias_add("mouse-x", "Mouse.axis[0]"));
  EXPECT_FALSE(kota::alias_add("mouse-x", "Mouse.axis[1]"));
  EXPECT_STREQ(kota::alias_lookup("mouse-x"), "Mouse.axis[0]");
  kota::log_printf(nullptr);
  EXPECT_NE(br_test::read_file(dir.file("log"))
                .find("Second alias for 'mouse-x' ('Mouse.axis[1]') ignored\n"),
            std::string::npos);
  kota::log_reset();
  unsetenv("KOTA_LOGFILE");
}

TEST(Names, LookupOfAnUnknownNameIsTheNameItselfAndResolvesOneLevel) {
  const char* name = "not-an-alias";
  EXPECT_EQ(kota::alias_lookup(name), name);
  EXPECT_TRUE(kota::alias_add("level-one", "level-two"));
  EXPECT_TRUE(kota::alias_add("level-two", "level-three"));
  EXPECT_STREQ(kota::alias_lookup("level-one"), "level-two");
}

TEST(Names, InternedStringsCompareByPointer) {
  std::string a = "Keypad Enter";
  std::string b = "Keypad Enter";
  const char* pa = kota::intern(a.c_str());
  EXPECT_EQ(pa, kota::intern(b.c_str()));
  EXPECT_NE(pa, a.c_str());
  EXPECT_NE(pa, kota::intern("Keypad Enter "));
  EXPECT_STREQ(kota::intern(""), "");
}

TEST(Names, LooseComparisonIgnoresCaseBlanksAndUnderscores) {
  EXPECT_EQ(kota::names_equal_loosely("left ctrl", "Left_Ctrl"), 0);
  EXPECT_EQ(kota::names_equal_loosely("KEYPAD\tENTER", "keypad enter"), 0);
  EXPECT_LT(kota::names_equal_loosely("a", "b"), 0);
  EXPECT_GT(kota::names_equal_loosely("left ctrlx", "left ctrl"), 0);
  EXPECT_NE(kota::names_equal_loosely("leftctrl", "left ctrl"), 0);
}

}  // namespace
