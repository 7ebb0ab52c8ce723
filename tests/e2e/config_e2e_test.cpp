// Runs the game with a prepared home directory and checks the configuration it writes back.
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "shell/config_file.h"
#include "support/sample_settings.h"
#include "support/temp_dir.h"

extern char** environ;

namespace {

// Runs the game with `args` and the home under `data_home`; returns its exit status.
int run_game(const std::string& data_home, const std::string& log, std::vector<std::string> args) {
  setenv("XDG_DATA_HOME", data_home.c_str(), 1);
  setenv("KOTA_LOGFILE", log.c_str(), 1);
  // Dialogs are off: a message box on the test's display would wait for a click forever.
  setenv("KOTA_OPTIONS", "[quit-after:3][dialogs:off]", 1);
  args.insert(args.begin(), BR_GAME_EXE);
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawn(&pid, BR_GAME_EXE, nullptr, nullptr, argv.data(), environ) != 0) return -1;
  int status = 0;
  if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

std::string replace_line(std::string text, const std::string& key, const std::string& value) {
  size_t at = text.find("\n" + key + "=");
  size_t end = text.find('\n', at + 1);
  return text.replace(at + 1, end - at - 1, key + "=" + value);
}

TEST(GameConfig, KeepsEveryValueAndAppliesTheCommandLine) {
  br_test::TempDir home;
  std::filesystem::create_directories(home.path() / "Bermrider");
  std::string config = home.file("Bermrider/config");

  br::world_reset();
  br_test::set_sample_settings(br::g_world);
  std::string prepared = br::config_write(br::g_world);
  std::string track = br::g_world.settings.track.value;
  br::world_reset();
  br_test::write_file(config, prepared);
  // The stored track is written back only while the game offers it: give it that track.
  std::filesystem::create_directories(home.path() / "Bermrider" / track);
  br_test::write_file(home.file("Bermrider/" + track + "/terrain.hf"), "3 2 0 10\n");

  ASSERT_EQ(run_game(home.path().string(), home.file("log.txt"),
                     {"--width", "800", "--draw-time=0", "--texture-detail", "2"}),
            0);
  std::string expected = replace_line(replace_line(prepared, "xres", "800"), "draw_time", "0");
  EXPECT_EQ(br_test::read_file(config), expected);

  // Without options the file comes back exactly as it was.
  br_test::write_file(config, prepared);
  ASSERT_EQ(run_game(home.path().string(), home.file("log.txt"), {}), 0);
  EXPECT_EQ(br_test::read_file(config), prepared);
}

TEST(GameConfig, FirstRunWritesTheDefaultsAndABadCommandLineWritesNothing) {
  br_test::TempDir home;
  ASSERT_EQ(run_game(home.path().string(), home.file("log.txt"), {"--height", "600"}), 0);
  std::string written = br_test::read_file(home.file("Bermrider/config"));
  EXPECT_NE(written.find("\nyres=600\n"), std::string::npos);
  EXPECT_NE(written.find("\nserver_name=localhost\n"), std::string::npos);
  EXPECT_NE(written.find("\nscreenshot_key=(k)s\n"), std::string::npos);

  br_test::write_file(home.file("Bermrider/config"), "laps=9\n");
  ASSERT_EQ(run_game(home.path().string(), home.file("log.txt"), {"--no-such-option"}), 1);
  EXPECT_EQ(br_test::read_file(home.file("Bermrider/config")), "laps=9\n");
}

}  // namespace
