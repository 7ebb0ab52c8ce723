#include "platform/message_box.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/log.h"
#include "platform/options.h"
#include "support/temp_dir.h"

namespace {

int g_shown = 0;
bool g_display_works = true;

bool fake_display(const char*, const char*) {
  ++g_shown;
  return g_display_works;
}

class MessageBoxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    kota::log_reset();
    setenv("KOTA_LOGFILE", dir.file("log").c_str(), 1);
    g_shown = 0;
    g_display_works = true;
    kota::message_box_set_display(fake_display);
  }
  void TearDown() override {
    kota::message_box_set_display(nullptr);
    kota::options_set_text(nullptr);
    kota::log_reset();
    unsetenv("KOTA_LOGFILE");
  }
  br_test::TempDir dir;
};

TEST_F(MessageBoxTest, ADisplayedMessageIsLoggedButNotPrinted) {
  testing::internal::CaptureStderr();
  kota::message_box("Problem starting Bermrider", "Can't find game data\n");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(g_shown, 1);
  kota::log_printf(nullptr);
  EXPECT_NE(br_test::read_file(dir.file("log")).find("Can't find game data\n"),
            std::string::npos);
}

TEST_F(MessageBoxTest, WithoutADisplayOrWithDialogsOffTheMessageGoesToStandardError) {
  g_display_works = false;
  testing::internal::CaptureStderr();
  kota::message_box("Error", "Out of virtual memory");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Error: Out of virtual memory\n");

  g_display_works = true;
  g_shown = 0;
  kota::options_set_text("[dialogs:off]");
  testing::internal::CaptureStderr();
  kota::message_box("Error", "Out of virtual memory\n");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Error: Out of virtual memory\n");
  EXPECT_EQ(g_shown, 0);  // an automated run never waits for a click
}

}  // namespace
