#include "platform/log.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include "platform/clock.h"
#include "support/temp_dir.h"

namespace {

using br_test::read_file;
using br_test::TempDir;
using br_test::write_file;

// 1 hour, 2 minutes and 5.5 seconds of timer time.
kota::ClockTime fixed_time() { return {3725, 500000}; }

class LogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    unsetenv("KOTA_LOGFILE");
    unsetenv("KOTA_LOGFILE_FLAGS");
    kota::log_reset();
    kota::clock_set_source(fixed_time);
  }
  void TearDown() override {
    kota::log_reset();
    kota::clock_set_source(nullptr);
    unsetenv("KOTA_LOGFILE");
    unsetenv("KOTA_LOGFILE_FLAGS");
  }
  TempDir dir;
};

TEST_F(LogTest, LinesCarryTheTimeStampPrefixAndTheBannerComesFirst) {
  std::string name = dir.file("run.log");
  setenv("KOTA_LOGFILE", name.c_str(), 1);
  kota::log_printf("hello %d\n", 7);
  kota::log_printf(nullptr);
  EXPECT_EQ(read_file(name),
            "[1:02:05.50] Logfile \"" + name + "\" opened\n[1:02:05.50] KOTA 0.31\n"
            "[1:02:05.50] hello 7\n");
}

TEST_F(LogTest, FlushMarkersAreNotWritten) {
  std::string name = dir.file("run.log");
  setenv("KOTA_LOGFILE", name.c_str(), 1);
  kota::log_printf("\x13" "FLUSH");
  kota::log_printf("a\n");
  // With flushing on, the line is on disk before the log closes.
  EXPECT_NE(read_file(name).find("] a\n"), std::string::npos);
  kota::log_printf("\x13" "NOFLUSH");
  kota::log_printf(nullptr);
  EXPECT_EQ(read_file(name).find("FLUSH"), std::string::npos);
}

TEST_F(LogTest, DoubleGreaterThanAppendsAndSingleTruncates) {
  std::string name = dir.file("run.log");
  write_file(name, "old\n");
  setenv("KOTA_LOGFILE", (">>" + name).c_str(), 1);
  kota::log_printf("x\n");
  kota::log_printf(nullptr);
  EXPECT_EQ(read_file(name).rfind("old\n", 0), 0u);

  kota::log_reset();
  setenv("KOTA_LOGFILE", (">" + name).c_str(), 1);
  kota::log_printf("y\n");
  kota::log_printf(nullptr);
  EXPECT_EQ(read_file(name).find("old"), std::string::npos);
  EXPECT_NE(read_file(name).find("] y\n"), std::string::npos);
}

TEST_F(LogTest, FlagsVariableReplacesTheMode) {
  std::string name = dir.file("run.log");
  write_file(name, "old\n");
  setenv("KOTA_LOGFILE", name.c_str(), 1);
  setenv("KOTA_LOGFILE_FLAGS", "a", 1);
  kota::log_printf("z\n");
  kota::log_printf(nullptr);
  EXPECT_EQ(read_file(name).rfind("old\n", 0), 0u);
}

// The marker message is a format that is not a literal, on purpose.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-security"
TEST_F(LogTest, LogFileMessageNamesTheFileOnlyWhenTheEnvironmentIsSilent) {
  std::string from_message = dir.file("msg.log");
  std::string format = "KOTA_LOGFILE=" + from_message;
  kota::log_printf(format.c_str());  // NOLINT: the marker is the format, as callers use it
  kota::log_printf("after\n");
  kota::log_printf(nullptr);
  std::string text = read_file(from_message);
  EXPECT_NE(text.find("] after\n"), std::string::npos);
  EXPECT_EQ(text.find("KOTA_LOGFILE="), std::string::npos);

  kota::log_reset();
  std::string from_env = dir.file("env.log");
  setenv("KOTA_LOGFILE", from_env.c_str(), 1);
  std::string other = "KOTA_LOGFILE=" + dir.file("other.log");
  kota::log_printf(other.c_str());  // NOLINT
  kota::log_printf(nullptr);
  EXPECT_NE(read_file(from_env).find("KOTA 0.31"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(dir.file("other.log")));
}
#pragma GCC diagnostic pop

// A home folder may have any name; a '%' in it once went through the log's format.
TEST_F(LogTest, NamedFileTakesNamesWithPercentSignsAsTheyAre) {
  std::string name = dir.file("100%s %n%d.log");
  kota::log_name_file(name.c_str());
  kota::log_printf("after\n");
  // Flushed lines can be read while the log is still open, as tests of the game watch it.
  kota::log_flush();
  EXPECT_NE(read_file(name).find("] after\n"), std::string::npos);
  // Once the log is open, another name changes nothing.
  kota::log_name_file(dir.file("late.log").c_str());
  kota::log_printf(nullptr);
  EXPECT_FALSE(std::filesystem::exists(dir.file("late.log")));

  kota::log_reset();
  std::string from_env = dir.file("env.log");
  setenv("KOTA_LOGFILE", from_env.c_str(), 1);
  kota::log_name_file(dir.file("other.log").c_str());
  kota::log_printf(nullptr);
  EXPECT_NE(read_file(from_env).find("KOTA 0.31"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(dir.file("other.log")));
}

TEST_F(LogTest, SetErrorLogsAndRemembers) {
  std::string name = dir.file("run.log");
  setenv("KOTA_LOGFILE", name.c_str(), 1);
  EXPECT_STREQ(kota::last_error(), "Unknown");
  kota::set_error("disk on fire");
  EXPECT_STREQ(kota::last_error(), "disk on fire");
  kota::log_printf(nullptr);
  EXPECT_NE(read_file(name).find("] Error: disk on fire\n"), std::string::npos);
}

TEST_F(LogTest, AnUnopenableFileLeavesLoggingSilent) {
  setenv("KOTA_LOGFILE", dir.file("no/such/dir/run.log").c_str(), 1);
  kota::log_printf("nothing happens %s\n", "here");
  kota::set_error("still fine");
  EXPECT_STREQ(kota::last_error(), "still fine");
}

}  // namespace
