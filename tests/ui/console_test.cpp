// The chat line as the player uses it: typed through the main loop's keys, each command's
// answers, chat refused offline and too soon, and typed text kept from harming files.
#include <gtest/gtest.h>

#include <filesystem>

#include "files/data_file.h"
#include "files/messages.h"
#include "menu_fixture.h"
#include "render/key_camera.h"
#include "support/data_dirs.h"
#include "support/temp_dir.h"
#include "ui/console.h"
#include "ui/console_input.h"
#include "ui/console_text.h"

namespace br {
namespace {

using namespace br_test;
namespace fs = std::filesystem;

class ConsoleTest : public MenuTest {
 protected:
  void SetUp() override {
    MenuTest::SetUp();
    resolve_bindings(g_world);  // the Chat key
    menu_close(g_world);
    message_area_clear(g_world);
    fs::create_directories(dir_.path() / "game");
    setenv("XDG_DATA_HOME", (dir_.path() / "xdg").c_str(), 1);
    setenv("BR_HOME", (dir_.path() / "game").c_str(), 1);
    data_files_reset();
  }
  void TearDown() override {
    restore_data_directories();
    MenuTest::TearDown();
  }
  std::string home() const { return (dir_.path() / "xdg" / "Bermrider").string(); }
  // Runs a line; the newest message is its reply.
  std::string run(const std::string& line, int expected = 1) {
    EXPECT_EQ(console_line(g_world, line), expected) << line;
    return message_line(0);
  }

  TempDir dir_;
};

TEST_F(ConsoleTest, WordsMatchExactlyByPrefixOrAsAWord) {
  std::string_view args;
  EXPECT_TRUE(command_matches("savetrackinfo", "savetrackinfo", CommandMatch::kExact, args));
  EXPECT_FALSE(command_matches("savetrackinfo now", "savetrackinfo", CommandMatch::kExact, args));
  EXPECT_TRUE(command_matches("fov 90", "fov", CommandMatch::kPrefix, args));
  EXPECT_EQ(args, "90");
  EXPECT_TRUE(command_matches("fov", "fov", CommandMatch::kPrefix, args));
  EXPECT_EQ(args, "");
  EXPECT_TRUE(command_matches("mapscale   2", "mapscale", CommandMatch::kWord, args));
  EXPECT_EQ(args, "2");
  EXPECT_FALSE(command_matches("mapscalex 2", "mapscale", CommandMatch::kWord, args));

  // Extra text after an exact word is no command at all, and says so.
  EXPECT_EQ(run("/savetrackinfo now", 0), "Unknown command \"savetrackinfo\"");
  EXPECT_EQ(run("/nosuchthing 1 2", 0), "Unknown command \"nosuchthing\"");
}

TEST_F(ConsoleTest, SettingsCommandsReplyAndClampOrExplainTheirUse) {
  EXPECT_EQ(run("/mapscale 20"), "Map scale set to 8.000000");
  EXPECT_EQ(g_world.settings.map_scale.value, 8);
  EXPECT_EQ(run("/mapscale nan"), "Usage: mapscale <scale>");
  EXPECT_EQ(g_world.settings.map_scale.value, 8);
  EXPECT_EQ(run("/fov 500"), "fov set");
  EXPECT_EQ(g_world.settings.fov.value, 170);
  EXPECT_EQ(run("/fov"), "Usage: fov <degrees>");
  EXPECT_EQ(run("/fov inf"), "Usage: fov <degrees>");
  EXPECT_EQ(g_world.settings.fov.value, 170);
  EXPECT_EQ(run("/bbopt 12"), "Billboard optimization window is now 12");
  EXPECT_EQ(run("/bbopt -3"), "Billboard optimization window is now 0");
  EXPECT_EQ(run("/messagelines 7"), "Maximum showing messages is now 7");
  EXPECT_EQ(message_lines(), 7);
  EXPECT_EQ(run("/messagelines many"), "Usage: messagelines <lines>");
  EXPECT_EQ(run("/demobackups 3"), "Now keeping 3 demo backups");
  EXPECT_EQ(run("/demobackups 1000"), "Now keeping 100 demo backups");
  EXPECT_EQ(run("/forcereload"), "Track will be reloaded on next restart");
  EXPECT_TRUE(g_world.session.reload_requested);
  EXPECT_EQ(run("/renderstats"), "Render statistics ON");
  EXPECT_EQ(g_world.options.draw_render_stats, 1);

  EXPECT_EQ(run("/togglefps"), "FPS display ON");
  EXPECT_EQ(run("/togglefps"), "FPS display OFF");
  EXPECT_EQ(run("/toggletime"), "Time display ON");
  EXPECT_EQ(run("/toggleping"), "Ping display OFF");  // on by default
  EXPECT_EQ(run("/togglespy"), "Spy mode ON");
  EXPECT_EQ(g_world.settings.spy.value, 1);

  g_world.loop.frame_histogram = {1, 2, 3, 4, 5, 6, 7, 8};
  EXPECT_EQ(run("/fpshist"), "128=1 64=2 32=3 16=4 8=5 4=6 2=7 1=8 ");
  EXPECT_EQ(run("/fpshist"), "128=0 64=0 32=0 16=0 8=0 4=0 2=0 1=0 ");
}

TEST_F(ConsoleTest, CommandsNeedingARiderOrARecordingSayWhyOrDoNothing) {
  // No bike is viewed: the camera and the pipe are left alone.
  EXPECT_EQ(console_line(g_world, "/camangle 90 10"), 1);
  EXPECT_EQ(console_line(g_world, "/pipe 1 2 3 0 15"), 1);
  EXPECT_STREQ(message_line(0), "");
  EXPECT_FALSE(g_world.console.free_camera_aimed);
  EXPECT_EQ(run("/namedemo race1"), "Not currently recording a demo");
  EXPECT_EQ(run("/savetrackinfo"), "Track info not saved");
}

TEST_F(ConsoleTest, ChatIsRefusedOfflineAndWhenSentTooSoon) {
  g_world.world_time = 100;
  EXPECT_EQ(run("hello", 0), "Not connected to server");
  g_world.world_time = 101.5;  // 1.5 s later
  EXPECT_EQ(run("again", 0), "No one likes a spammer");
  EXPECT_EQ(g_world.net.last_chat, 100);  // a refused line does not restart the wait
  g_world.world_time = 102.5;
  EXPECT_EQ(run("later", 0), "Not connected to server");
  // A blank line is not chat and starts no wait.
  g_world.world_time = 200;
  EXPECT_EQ(console_line(g_world, "   "), 0);
  EXPECT_EQ(g_world.net.last_chat, 102.5);
}

TEST_F(ConsoleTest, SendFileChecksTheNameBeforeLookingForTheFile) {
  const char* bad = "Filename may only contain alphanumeric characters, '_' or '.'";
  EXPECT_EQ(run("/sendfile ../config"), bad);
  EXPECT_EQ(run("/sendfile a/b"), bad);
  EXPECT_EQ(run("/sendfile"), bad);
  EXPECT_EQ(run("/sendfile " + std::string(1020, 'a')), "Filename too long");
  EXPECT_EQ(run("/sendfile missing.txt"), "Can't open file");
  fs::create_directories(home() + "/outgoing");
  write_file(home() + "/outgoing/lap.txt", "fast");
  data_files_reset();
  EXPECT_EQ(run("/sendfile lap.txt extra words"), "Not connected to server");
}

TEST_F(ConsoleTest, SetupsAreWrittenAndReadBackInTheHomeDirectory) {
  g_world.settings.setup.brake_torque.value = 120;
  EXPECT_EQ(run("/writesetup soft"), "Setup written");
  EXPECT_TRUE(fs::exists(home() + "/setups/soft"));
  g_world.settings.setup.brake_torque.value = 400;
  data_files_reset();
  EXPECT_EQ(run("/readsetup soft  "), "Setup updated");
  EXPECT_EQ(g_world.settings.setup.brake_torque.value, 120);
  EXPECT_EQ(run("/readsetup nothing"), "Error reading setup");
  EXPECT_EQ(g_world.settings.setup.brake_torque.value, 120);
}

TEST_F(ConsoleTest, NothingTypedWritesOutsideTheHomeDirectory) {
  for (const char* line :
       {"/writesetup ../../../escaped", "/writesetup ..", "/writesetup a/../../b",
        "/writesetup /tmp/escaped", "/writesetup \\escaped", "/readsetup ../../../etc/passwd",
        "/sendfile ../../escaped", "/namedemo ../../escaped", "/listfiles ../.."}) {
    console_line(g_world, line);
  }
  EXPECT_EQ(run("/writesetup ../x"), "Bad setup name");
  for (const fs::directory_entry& e : fs::recursive_directory_iterator(dir_.path())) {
    if (e.is_directory()) continue;
    std::string path = e.path().string();
    EXPECT_EQ(path.rfind(home() + "/", 0), 0u) << path;
  }
}

TEST_F(ConsoleTest, OverlongLinesControlCharactersAndBrokenUtf8AreRefusedOrCleaned) {
  EXPECT_EQ(run(std::string(kConsoleLineMax + 1, 'x'), 0), "Line too long");
  EXPECT_EQ(clean_console_text("a\x1b[31mb\tc\x7f\n", 100), "a[31mbc");
  EXPECT_EQ(clean_console_text("caf\xc3\xa9 \xc2\x85!", 100), "caf\xc3\xa9 !");  // C1 dropped
  EXPECT_EQ(clean_console_text("bad \xff\xc3 end", 100), "bad ?? end");
  EXPECT_EQ(clean_console_text("\xed\xa0\x80", 100), "???");  // a surrogate is not text
  EXPECT_EQ(clean_console_text("ab\xe2\x82\xac", 4), "ab");     // the euro sign is not cut
  // Commands see cleaned text: an escape in a setting's reply is gone.
  EXPECT_EQ(run("/mapscale\x1b 2"), "Map scale set to 2.000000");
}

TEST_F(ConsoleTest, KeyFramesAreKeptInOrderAndDeletedOnEitherSide) {
  std::vector<CameraKeyFrame>& keys = g_world.console.key_frames;
  for (int32_t f : {100, 300, 200}) {
    g_world.frame = f;
    g_world.free_camera_position = {static_cast<double>(f), 5, 0};
    EXPECT_EQ(run("/addkey"), "Keyframe added");
  }
  ASSERT_EQ(keys.size(), 3u);
  EXPECT_EQ(keys[1].frame, 200);
  console_line(g_world, "/listkeys");
  EXPECT_STREQ(message_line(0),
               "pos = { 300.00, 5.00, 0.00 }, rot = { 1.00, 0.00, 0.00, 0.00 }, time = 2.34");
  g_world.frame = 250;
  EXPECT_EQ(run("/deletekey"), "Keyframe deleted");  // the one before: 200
  EXPECT_EQ(keys.size(), 2u);
  EXPECT_EQ(keys[1].frame, 300);
  g_world.frame = 50;
  EXPECT_EQ(run("\\rmkey"), "Keyframe deleted");  // the one after: 100
  ASSERT_EQ(keys.size(), 1u);
  EXPECT_EQ(keys[0].frame, 300);
  run("/deletekey");
  EXPECT_TRUE(keys.empty());
  EXPECT_EQ(run("/listkeys"), "No keyframes");
  run("/addkey");
  EXPECT_EQ(run("/clearkeys"), "Keyframes cleared");
  EXPECT_TRUE(keys.empty());
  EXPECT_EQ(run("/togglekeycam"), "Keycam mode ON");
}

TEST_F(ConsoleTest, TheKeyFrameCameraBlendsBetweenItsKeys) {
  CameraKeyFrame a, b;
  a.position = {0, 10, 0};
  a.rotation = camera_quaternion(aimed_camera({0, 0, 0}, 0, 0));
  a.frame = 0;
  b.position = {100, 10, 0};
  b.rotation = camera_quaternion(aimed_camera({0, 0, 0}, 1.5707964f, 0));  // turned left
  b.frame = 128;
  std::vector<CameraKeyFrame> keys = {a, b};
  ViewCamera mid = *key_frame_camera(keys, 64);
  EXPECT_NEAR(mid.eye[0], 50, 1e-3);
  // Half way round: looking along -x and -z alike.
  ViewCamera half = aimed_camera({0, 0, 0}, 0.7853982f, 0);
  for (size_t i = 0; i < 9; ++i) EXPECT_NEAR(mid.rotation[i], half.rotation[i], 1e-4) << i;
  EXPECT_NEAR(key_frame_camera(keys, -50)->eye[0], 0, 1e-6);
  EXPECT_NEAR(key_frame_camera(keys, 500)->eye[0], 100, 1e-6);
  // A pitched and turned camera survives the trip through its quaternion.
  ViewCamera c = aimed_camera({1, 2, 3}, -2.5f, 0.4f);
  ViewCamera back = camera_from_quaternion(c.eye, camera_quaternion(c));
  for (size_t i = 0; i < 9; ++i) EXPECT_NEAR(back.rotation[i], c.rotation[i], 1e-5) << i;
}

TEST_F(ConsoleTest, TheChatKeyOpensALineThatIsEditedBrowsedAndCompleted) {
  press("t");
  ASSERT_EQ(g_world.menu, kChatMenu);
  type("/mapscal");
  press("tab");
  EXPECT_EQ(g_world.console.line, "/mapscale ");
  type("3");
  press("left");
  press("left");
  press("backspace");  // the "e"
  press("home");
  press("delete");     // the "/"
  EXPECT_EQ(g_world.console.line, "mapscal 3");
  press("end");
  type("x");
  EXPECT_EQ(g_world.console.line, "mapscal 3x");
  press("left");
  EXPECT_EQ(console_prompt_text(g_world), "Say: mapscal 3_x");
  // A line longer than the window shows the part being typed.
  g_world.console.line = std::string(300, 'a') + "end";
  g_world.console.cursor = g_world.console.line.size();
  std::string shown = console_prompt_text(g_world);
  EXPECT_EQ(shown.substr(0, 8), "Say: ...");
  EXPECT_EQ(shown.substr(shown.size() - 4), "end_");
  EXPECT_LT(shown.size(), 110u);
  // Start again: Esc throws the line away.
  press("esc");
  EXPECT_EQ(g_world.menu, kNoMenu);
  press("t");
  EXPECT_EQ(g_world.console.line, "");
  type("/mapscale 3");
  press("enter");
  EXPECT_EQ(g_world.menu, kNoMenu);
  EXPECT_STREQ(message_line(0), "Map scale set to 3.000000");

  // Tab with several fitting words goes as far as they agree and lists them.
  press("t");
  type("/toggle");
  press("tab");
  EXPECT_EQ(g_world.console.line, "/toggle");
  EXPECT_STREQ(message_line(0), "togglespy togglekeycam togglefps toggletime toggleping");
  type("f");
  press("tab");
  EXPECT_EQ(g_world.console.line, "/togglefps");  // no arguments: no space
  press("enter");

  // Up and Down walk the lines entered; past the newest the draft comes back.
  press("t");
  type("draft");
  press("up");
  EXPECT_EQ(g_world.console.line, "/togglefps");
  press("up");
  EXPECT_EQ(g_world.console.line, "/mapscale 3");
  press("up");
  EXPECT_EQ(g_world.console.line, "/mapscale 3");
  press("down");
  press("down");
  EXPECT_EQ(g_world.console.line, "draft");
}

}  // namespace
}  // namespace br
