#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

struct Outcome {
  int status = -1;
  std::string out, err;
};

// Runs a shell command line with the given environment prefix, collecting its output.
Outcome run(const br_test::TempDir& dir, const std::string& env, const std::string& command) {
  std::string out = dir.file("stdout"), err = dir.file("stderr");
  // Dialogs are off: on a display, a message box would wait for a click nobody gives.
  std::string line = "env -u BR_HOME -u KOTA_LOGFILE KOTA_OPTIONS='[dialogs:off]' " + env + " " +
                     command + " >'" + out + "' 2>'" + err + "'";
  int raw = std::system(line.c_str());
  Outcome r;
  r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  r.out = br_test::read_file(out);
  r.err = br_test::read_file(err);
  return r;
}

std::string quoted(const std::string& s) {
  return "'" + s + "'";
}

TEST(BrdataE2e, PackListCatUnpackRoundTrip) {
  br_test::TempDir dir;
  fs::create_directories(dir.path() / "src/rabbithill");
  fs::create_directories(dir.path() / "game");
  fs::create_directories(dir.path() / "xdg/Bermrider");
  std::string binary(300000, '\0');
  for (size_t i = 0; i < binary.size(); ++i) binary[i] = static_cast<char>(i * 131 % 251);
  br_test::write_file(dir.file("src/rabbithill/desc"), "Rabbit Hill\nhills and berms\n");
  br_test::write_file(dir.file("src/rabbithill/terrain.bin"), binary);
  br_test::write_file(dir.file("src/readme"), "");
  std::string env =
      "XDG_DATA_HOME=" + quoted(dir.file("xdg")) + " BR_HOME=" + quoted(dir.file("game"));
  std::string brdata = quoted(BRDATA_EXE);

  Outcome pack = run(dir, env,
                     brdata + " pack " + quoted(dir.file("game/tracks.saf")) + " -C " +
                         quoted(dir.file("src")) + " rabbithill readme");
  ASSERT_EQ(pack.status, 0) << pack.err;

  Outcome list = run(dir, env, brdata + " list");
  ASSERT_EQ(list.status, 0) << list.err;
  std::string holder = " -> " + dir.file("game/tracks.saf") + "\n";
  EXPECT_EQ(list.out, "rabbithill/desc" + holder + "rabbithill/terrain.bin" + holder + "readme" +
                          holder + "tracks.saf -> " + dir.file("game/") + "tracks.saf\n");

  Outcome cat = run(dir, env, brdata + " cat @rabbithill/desc");
  EXPECT_EQ(cat.status, 0);
  EXPECT_EQ(cat.out, "Rabbit Hill\nhills and berms\n");
  Outcome missing = run(dir, env, brdata + " cat @rabbithill/nothing");
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find("can't open @rabbithill/nothing"), std::string::npos);

  Outcome unpack = run(
      dir, env,
      brdata + " unpack " + quoted(dir.file("game/tracks.saf")) + " " + quoted(dir.file("out")));
  ASSERT_EQ(unpack.status, 0) << unpack.err;
  EXPECT_EQ(br_test::read_file(dir.file("out/rabbithill/terrain.bin")), binary);
  EXPECT_EQ(br_test::read_file(dir.file("out/rabbithill/desc")), "Rabbit Hill\nhills and berms\n");
  EXPECT_TRUE(fs::exists(dir.file("out/readme")));

  // A scrambled copy reads back through the game's lookup as the original.
  Outcome scramble = run(dir, env,
                         brdata + " scramble " + quoted(dir.file("src/rabbithill/desc")) + " " +
                             quoted(dir.file("xdg/Bermrider/secret.scram")));
  ASSERT_EQ(scramble.status, 0);
  EXPECT_NE(br_test::read_file(dir.file("xdg/Bermrider/secret.scram")),
            "Rabbit Hill\nhills and berms\n");
  EXPECT_EQ(run(dir, env, brdata + " cat @secret").out, "Rabbit Hill\nhills and berms\n");

  Outcome digest = run(dir, env, brdata + " digest " + quoted(dir.file("src/readme")));
  EXPECT_EQ(digest.out, "9c1185a5c5e9fc54612808977ee8f548b2258d31\n");
}

TEST(BrdataE2e, ChecksTheDefaultTracks) {
#ifndef BR_DEFAULT_DATA_DIR
  GTEST_SKIP() << "the default data set is not part of this build";
#else
  br_test::TempDir dir;
  std::string env =
      "XDG_DATA_HOME=" + quoted(dir.file("xdg")) + " BR_HOME=" + quoted(BR_DEFAULT_DATA_DIR);
  Outcome check = run(dir, env, quoted(BRDATA_EXE) + " check @rabbithill @foundry");
  EXPECT_EQ(check.status, 0) << check.out << check.err;
  EXPECT_NE(check.out.find("@rabbithill: track \"Rabbit Hill\"\n"), std::string::npos);
  EXPECT_NE(check.out.find("@foundry: track "), std::string::npos);
  size_t first = check.out.find("  digest ");
  ASSERT_NE(first, std::string::npos) << check.out;
  EXPECT_NE(check.out.find("  digest ", first + 1), std::string::npos);
  EXPECT_NE(check.out.find("ground tiles on a 512 x 512 tile map"), std::string::npos);

  Outcome missing = run(dir, env, quoted(BRDATA_EXE) + " check @nosuchtrack");
  EXPECT_EQ(missing.status, 1);
#endif
}

TEST(BermriderE2e, GameDataDecidesBetweenBadOptionAndMissingData) {
  if (fs::exists(BR_INSTALL_DATA_DIR "/zzzz.saf")) GTEST_SKIP() << "an installed data set is found";
  br_test::TempDir dir;
  std::string env = "XDG_DATA_HOME=" + quoted(dir.file("xdg"));
  std::string game = quoted(BERMRIDER_EXE);

  // The build directory holds the release archive next to the game.
  Outcome bad = run(dir, env, game + " --nosound=1");
  EXPECT_EQ(bad.status, 1);
  EXPECT_EQ(bad.err, "bad option '--nosound=1'\n");
  EXPECT_TRUE(fs::exists(dir.file("xdg/Bermrider/lastlog.txt")));
  EXPECT_NE(br_test::read_file(dir.file("xdg/Bermrider/lastlog.txt")).find("Game data found"),
            std::string::npos);

  Outcome ok = run(dir, env + " KOTA_OPTIONS='[quit-after:3][dialogs:off]'", game);
  EXPECT_EQ(ok.status, 0) << ok.err;

  // Another program directory, or a BR_HOME without the archive: no data.
  fs::create_directories(dir.path() / "elsewhere");
  fs::copy_file(BERMRIDER_EXE, dir.path() / "elsewhere/bermrider");
  Outcome moved = run(dir, env, quoted(dir.file("elsewhere/bermrider")) + " --nosound=1");
  EXPECT_EQ(moved.status, 0);
  EXPECT_EQ(moved.err, "Problem starting Bermrider: Can't find game data\n");
  Outcome empty_home =
      run(dir, env + " BR_HOME=" + quoted(dir.file("elsewhere")), game + " --nosound=1");
  EXPECT_EQ(empty_home.status, 0);
  EXPECT_EQ(empty_home.err, "Problem starting Bermrider: Can't find game data\n");
}

TEST(BermriderE2e, NoTracksEndTheRunAndTheListIsLogged) {
  br_test::TempDir dir;
  fs::create_directories(dir.path() / "game");
  // The release check reads only the archive's first megabyte, so a release cut there still
  // passes it, while the cut archive holds no readable member: the game has no tracks.
  std::string release = br_test::read_file(
      (fs::path(BERMRIDER_EXE).parent_path() / "zzzz.saf").string());
  ASSERT_GT(release.size(), 1048576u);
  br_test::write_file(dir.file("game/zzzz.saf"), release.substr(0, 1048576));
  std::string env =
      "XDG_DATA_HOME=" + quoted(dir.file("xdg")) + " BR_HOME=" + quoted(dir.file("game"));
  Outcome none = run(dir, env + " KOTA_OPTIONS='[quit-after:1][dialogs:off]'",
                     quoted(BERMRIDER_EXE));
  EXPECT_EQ(none.status, 1);
  // The display library may add its own complaints; ours is the last line.
  EXPECT_TRUE(none.err.ends_with("No tracks found\n")) << none.err;

  // With a track the run goes on (to the window, which may or may not open here).
  fs::create_directories(dir.path() / "game/hills");
  br_test::write_file(dir.file("game/hills/terrain.hf"), "3 2 0 10\n");
  br_test::write_file(dir.file("game/hills/desc"), "Green Hills\n");
  Outcome one = run(dir, env + " KOTA_OPTIONS='[quit-after:1][dialogs:off]'",
                    quoted(BERMRIDER_EXE) + " --debug");
  EXPECT_EQ(one.err.find("No tracks found"), std::string::npos);
  EXPECT_NE(
      br_test::read_file(dir.file("xdg/Bermrider/lastlog.txt")).find("hills -> Green Hills\n"),
      std::string::npos);
}

TEST(BermriderE2e, OpenHomeAsksTheDesktopAndEndsAtOnce) {
  br_test::TempDir dir;
  fs::create_directories(dir.path() / "bin");
  std::string script = dir.file("bin/xdg-open");
  br_test::write_file(script, "#!/bin/sh\necho \"$1\" > '" + dir.file("opened") + "'\n");
  fs::permissions(script, fs::perms::owner_all);
  std::string env = "XDG_DATA_HOME=" + quoted(dir.file("xdg")) +
                    " PATH=" + quoted(dir.file("bin") + ":" + std::getenv("PATH"));
  Outcome r = run(dir, env, quoted(BERMRIDER_EXE) + " --open-home");
  EXPECT_EQ(r.status, 0) << r.err;
  // The browser is started, not waited for.
  for (int i = 0; i < 250 && !br_test::read_file(dir.file("opened")).ends_with("\n"); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  EXPECT_EQ(br_test::read_file(dir.file("opened")), dir.file("xdg/Bermrider") + "\n");
}

}  // namespace
