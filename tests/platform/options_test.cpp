#include "platform/options.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include "platform/log.h"
#include "support/temp_dir.h"

namespace {

class OptionsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    kota::log_reset();
    setenv("KOTA_LOGFILE", dir.file("log").c_str(), 1);
  }
  void TearDown() override {
    kota::options_set_text(nullptr);
    kota::log_reset();
    unsetenv("KOTA_LOGFILE");
  }
  std::string log_text() {
    kota::log_printf(nullptr);
    return br_test::read_file(dir.file("log"));
  }
  br_test::TempDir dir;
};

TEST_F(OptionsTest, FlagsReadOnOffYesNoAndReportAnythingElse) {
  kota::options_set_text("[fullscreen:on][threaded:maybe][sound:no]");
  EXPECT_TRUE(kota::option_flag("fullscreen", false));
  EXPECT_FALSE(kota::option_flag("threaded", false));
  EXPECT_TRUE(kota::option_flag("threaded", true));
  EXPECT_FALSE(kota::option_flag("sound", true));
  EXPECT_TRUE(kota::option_flag("absent", true));
  EXPECT_NE(log_text().find("unrecognized setting for threaded\n"), std::string::npos);
}

TEST_F(OptionsTest, IntegersNeedOnlyLeadingDigits) {
  kota::options_set_text("[sound-rate:44100x][quit-after:300]");
  EXPECT_EQ(kota::option_int("sound-rate", 22050), 44100);
  EXPECT_EQ(kota::option_int("quit-after", 0), 300);
  EXPECT_EQ(kota::option_int("missing", 7), 7);
}

TEST_F(OptionsTest, AnEmptyIntegerFallsBackWithAMessage) {
  kota::options_set_text("[sound-rate:]");
  EXPECT_EQ(kota::option_int("sound-rate", 22050), 22050);
  EXPECT_NE(log_text().find("unrecognized setting for sound-rate\n"), std::string::npos);
}

TEST_F(OptionsTest, FirstOccurrenceWinsAndPrefixesOfOtherNamesDoNotMatch) {
  kota::options_set_text("[xfullscreen:on] [fullscreen:off][fullscreen:on]");
  EXPECT_FALSE(kota::option_flag("fullscreen", true));
  kota::options_set_text("[n:99999999999]");
  EXPECT_EQ(kota::option_int("n", 0), 2147483647);
}

TEST_F(OptionsTest, EnvironmentIsReadWhenNoTextIsSet) {
  setenv("KOTA_OPTIONS", "[quit-after:12]", 1);
  kota::options_set_text(nullptr);
  EXPECT_EQ(kota::option_int("quit-after", 0), 12);
  unsetenv("KOTA_OPTIONS");
  kota::options_set_text(nullptr);
}

}  // namespace
