#include "shell/config_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <sstream>
#include <vector>

#include "shell/bike_setup.h"
#include "support/sample_settings.h"
#include "support/temp_dir.h"

namespace {

class ConfigFile : public ::testing::Test {
 protected:
  void SetUp() override { br::world_reset(); }
  br::World& w = br::g_world;
  br::Settings& s = br::g_world.settings;
};

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) out.push_back(line);
  return out;
}

// The value the written file holds for `key`, or "<absent>".
std::string written(const std::string& text, const std::string& key) {
  for (const std::string& line : lines_of(text)) {
    if (line.starts_with(key + "=")) return line.substr(key.size() + 1);
  }
  return "<absent>";
}

TEST_F(ConfigFile, MalformedLinesAreIgnoredAndNumbersClamped) {
  br::config_read_text(w,
                       "no equals sign here\n"
                       "\n"
                       "=\n"
                       "=5\n"
                       "bogus_key=1\n"
                       "Laps=3\n"
                       " laps=3\n"
                       "laps=80\n"
                       "minutes=abc\n"
                       "fov=-5\n"
                       "map_scale=20\n"
                       "ghost_fade_distance=nan\n"
                       "xres=1280px\n"
                       "yres=tall\n"
                       "draw_fps=99999999999999999999\n"
                       "demo_backups=500\n"
                       "skill=expert\n"
                       "record=Yes \n"
                       "texture_compress=Always\r\n"
                       "volume=3\r\r\n"
                       "ground_texture_distance=50\n"
                       "message_lines=7");  // no line end at all
  EXPECT_EQ(s.laps.value, 50);
  EXPECT_EQ(s.minutes.value, 0);
  EXPECT_EQ(s.fov.value, 10);
  EXPECT_EQ(s.map_scale.value, 8);
  EXPECT_EQ(s.ghost_fade_distance.value, 10);
  EXPECT_EQ(s.xres.value, 1280);
  EXPECT_EQ(s.yres.value, 480);
  EXPECT_EQ(s.draw_fps.value, INT_MAX);
  EXPECT_EQ(s.demo_backups.value, 100);
  EXPECT_EQ(s.skill.text(), "Novice");
  EXPECT_EQ(s.record.text(), "No");  // trailing blanks are part of the value
  EXPECT_EQ(s.texture_compress.text(), "Always");
  EXPECT_EQ(s.volume.value, 3);
  EXPECT_EQ(s.message_lines.value, 7);

  br::config_read_text(w, "map_scale=0\nskill=Expert\n");
  EXPECT_EQ(s.map_scale.value, 0.125);
  EXPECT_EQ(s.skill.text(), "Expert");
  std::string out = br::config_write(w);
  EXPECT_EQ(written(out, "ground_texture_distance"), "<absent>");
  EXPECT_EQ(written(out, "bogus_key"), "<absent>");
}

TEST_F(ConfigFile, LongLinesNeverSpillIntoTheNextKey) {
  std::string flood(5000, 'a');
  // The tail of an over-long line must not be read as a line of its own.
  br::config_read_text(w, "server_name=" + flood + "laps=7\n" + std::string(3000, 'b') +
                              "=c\nxres=1024\n" + "track=" + flood + "=x\n");
  EXPECT_EQ(s.laps.value, 5);
  EXPECT_EQ(s.server_name.value, std::string(127, 'a'));
  EXPECT_EQ(s.xres.value, 1024);
  EXPECT_EQ(s.track.value.size(), br::kConfigLineMax - 6);

  // A NUL ends the line's text.
  br::config_read_text(w, std::string("name=Al\0ice\nnumber=7\n", 21));
  EXPECT_EQ(s.setup.name.value, "Al");
  EXPECT_EQ(s.setup.number.value, "7");
  br::config_read_text(w, "number=12345\nname=" + std::string(80, 'n') + "\n");
  EXPECT_EQ(s.setup.number.value, "123");
  EXPECT_EQ(s.setup.name.value.size(), 63u);

  // Cut to its length, a value may end in a carriage return that reading the file back would
  // drop: it is dropped at once, so what is kept is what the file gives back.
  br::config_read_text(w, "number=12\r3\r\nname=" + std::string(62, 'n') + "\rzz\n");
  EXPECT_EQ(s.setup.number.value, "12");
  EXPECT_EQ(s.setup.name.value, std::string(62, 'n'));
  std::string out = br::config_write(w);
  br::config_read_text(w, out);
  EXPECT_EQ(br::config_write(w), out);
}

TEST_F(ConfigFile, ServerHistoryEntriesTooLongAreDropped) {
  br::config_read_text(w, "server_name_hist00=" + std::string(126, 'x') +
                              "\nserver_name_hist01=" + std::string(127, 'y') +
                              "\nserver_name_hist02=old.example.net\r\n"
                              "server_name_hist16=nowhere\n");
  EXPECT_EQ(s.server_name_hist[0].value, std::string(126, 'x'));
  EXPECT_EQ(s.server_name_hist[1].value, "");
  EXPECT_EQ(s.server_name_hist[2].value, "old.example.net");
  std::string out = br::config_write(w);
  EXPECT_EQ(written(out, "server_name_hist15"), "");
  EXPECT_EQ(written(out, "server_name_hist16"), "<absent>");
  EXPECT_EQ(written(out, "server_name"), "localhost");
}

TEST_F(ConfigFile, BindingsOfBothForms) {
  br::config_read_text(w,
                       "left_key=(k)a\n"
                       "throttle_key=(0.0625,0.9375)joystick-a-x\r\n"
                       "right_key=   keypad 6\n"
                       "rewind_key=(k)(1,2)\n"
                       "pause_key=\n");
  const br::Bindings& b = w.bindings;
  EXPECT_EQ(b[br::kBindLeft].key_name, "a");
  EXPECT_EQ(b[br::kBindThrottle].axis_name, "joystick-a-x");
  EXPECT_FLOAT_EQ(b[br::kBindThrottle].low, 0.0625f);
  EXPECT_FLOAT_EQ(b[br::kBindThrottle].high, 0.9375f);
  EXPECT_EQ(b[br::kBindRight].key_name, "keypad 6");
  EXPECT_EQ(b[br::kBindRewind].key_name, "(1,2)");

  std::string out = br::config_write(w);
  EXPECT_EQ(written(out, "left_key"), "(k)a");
  EXPECT_EQ(written(out, "throttle_key"), "(0.062500,0.937500)joystick-a-x");
  EXPECT_EQ(written(out, "rewind_key"), "(k)(1,2)");
  // Bound to nothing by the player: written so, or the next start would restore the default.
  EXPECT_EQ(written(out, "pause_key"), "");
  br::world_reset();
  br::config_read_text(w, out);
  EXPECT_TRUE(w.bindings[br::kBindPause].key_name.empty());
  EXPECT_EQ(br::config_write(w), out);
}

TEST_F(ConfigFile, StabilityPresetThenTheSavedAssistValues) {
  br::config_read_text(w, "stability=50\n");
  EXPECT_EQ(s.setup.roll_damping.value, 65);
  EXPECT_EQ(s.setup.roll_limit_angle.value, 42.5);
  EXPECT_EQ(s.setup.restricted_lock.value, 7.5);

  br::config_read_text(w, "stability=0\nroll_damping=66\n");
  EXPECT_EQ(s.setup.roll_damping.value, 66);
  EXPECT_EQ(s.setup.restricted_lock.value, 45);

  // A stability that is not a number touches nothing.
  br::config_read_text(w, "stability=lots\n");
  EXPECT_EQ(s.setup.stability.value, 0);
  EXPECT_EQ(s.setup.roll_damping.value, 66);
}

TEST_F(ConfigFile, UseFboPicksTheTerrainMethodAndIsNeverWritten) {
  br::config_read_text(w, "use_fbo=No\n");
  EXPECT_EQ(s.render_texture.text(), "Hardware/Copy");
  br::config_read_text(w, "use_fbo=Yes\r\n");
  EXPECT_EQ(s.render_texture.text(), "Hardware/Direct");
  br::config_read_text(w, "render_texture=Software\nuse_fbo=maybe\n");
  EXPECT_EQ(s.render_texture.text(), "Software");
  std::string out = br::config_write(w);
  EXPECT_EQ(written(out, "render_texture"), "Software");
  EXPECT_EQ(written(out, "use_fbo"), "<absent>");
}

TEST_F(ConfigFile, BikeAliasesAndTheirTextures) {
  s.gear_textures = {"rider_body-alt1.png",  "crf250-alt1.png", "crf250-alt2.png",
                     "crf250v2010-alt1.png", "kx125-alt1.png",  "wheels-alt1.png"};
  br::build_gear_texture_choices(s);
  EXPECT_EQ(s.setup.bike.text(), "450sxf(2013)");
  EXPECT_TRUE(s.setup.bike_texture.texts.empty());
  EXPECT_EQ(s.setup.rider_texture.text(), "rider_body-alt1.png");

  br::config_read_text(w, "bike=crf250\nbike_texture=crf250-alt2.png\n");
  EXPECT_EQ(s.setup.bike.text(), "crf250(2008)");
  EXPECT_EQ(s.setup.bike_texture.texts.size(), 2u);
  EXPECT_EQ(s.setup.bike_texture.text(), "crf250-alt2.png");

  // A new model starts on its own first texture; an unknown model changes nothing.
  br::config_read_text(w, "bike=rs50kx\n");
  EXPECT_EQ(s.setup.bike_texture.text(), "kx125-alt1.png");
  br::config_read_text(w, "bike=RS50KX\nbike=crf250(2013)x\n");
  EXPECT_EQ(s.setup.bike.text(), "rs50kx");
  EXPECT_EQ(s.setup.bike_texture.text(), "kx125-alt1.png");
}

TEST_F(ConfigFile, WritesEveryKeyInOrderWithTheDefaults) {
  std::string expected =
      "xres=640\nyres=480\ndraw_fps=0\ndraw_time=0\ndraw_ping=1\nspy=0\ntrack=rabbithill\n"
      "record=No\nskill=Novice\nminutes=0.000000\nlaps=5.000000\n";
  for (int i = 0; i < 40; ++i) {
    const char* v = (i == 19) ? "Human" : (i >= 17 && i <= 22) ? "Robot" : "Empty";
    char line[32];
    std::snprintf(line, sizeof line, "slot%02d=%s\n", i, v);
    expected += line;
  }
  expected +=
      "ghost_fade_distance=10.000000\ntime_trial_abort=Yes\n"
      "bike=450sxf(2013)\nname=Rider\nnumber=999\nrider_texture=\nhead_texture=\n"
      "bike_texture=\nwheel_texture=\n"
      "stability=100.000000\nleveling=20.000000\nroll_damping=80.000000\n"
      "roll_limit_angle=35.000000\nroll_limit_factor=32.000000\nsteering_damping=45.000000\n"
      "steering_strength=75.000000\nmax_steering_force=400.000000\ndirect_steering=0.000000\n"
      "slow_damping_speed=40.000000\nslow_damping_factor=2.000000\n"
      "land_damping_falloff=0.250000\nland_damping_factor=2.000000\n"
      "full_lock_speed=10.000000\nrestricted_lock_speed=50.000000\nrestricted_lock=5.000000\n"
      "arcade=Yes\nfront_brake=Antilock\nrear_brake=Normal\nstop_wheelies=No\n"
      "auto_shift=Yes\nauto_dab=Yes\nauto_align=Yes\nsticky_dab=No\nreverse_steering=Yes\n"
      "lean_indicator=Yes\n"
      "auto_clutch_rpms=5000.000000\nbrake_torque=250.000000\nrear_brake_torque=250.000000\n"
      "max_dab_speed=20.000000\nfront_sprocket_adjustment=0.000000\n"
      "rear_sprocket_adjustment=0.000000\nfork_compression_adjustment=50.000000\n"
      "fork_rebound_adjustment=50.000000\nfork_spring_rate_adjustment=50.000000\n"
      "fork_preload_adjustment=50.000000\nfork_oil_level_adjustment=50.000000\n"
      "shock_compression_adjustment=50.000000\nshock_rebound_adjustment=50.000000\n"
      "shock_spring_rate_adjustment=50.000000\nshock_preload_adjustment=50.000000\n"
      "rider_yspring=50.000000\nrider_ydamping=50.000000\nrider_zspring=50.000000\n"
      "rider_zdamping=50.000000\nrider_mass_distribution=0.330000\n"
      "video_mode=Default Fullscreen\nserver_name=localhost\n";
  for (int i = 0; i < 16; ++i) {
    char line[32];
    std::snprintf(line, sizeof line, "server_name_hist%02d=\n", i);
    expected += line;
  }
  expected +=
      "ground_detail=70.000000\nground_texture_detail=9.000000\nground_texture_dim=64x64\n"
      "ground_mipmaps=Yes\ntexture_compress=No\nrender_texture=Software\nuse_shader=Yes\n"
      "roost_density=1000.000000\nlens_flare=Yes\nreflections=Yes\nhide_rider=No\n"
      "rigid_camera=No\nmodel_detail=50.000000\nmodel_texture_detail=9.000000\n"
      "fov=110.000000\nfirst_person_height=0.000000\nfirst_person_angle=0.000000\n"
      "third_person_height=5.000000\nthird_person_distance=10.000000\nvolume=10.000000\n"
      "comp_volume=8.000000\nplayback_mode=Playback Only\nbillboard_optimize_lookahead=8\n"
      "message_lines=5\ndemo_backups=0\nmap_scale=1.000000\n"
      "throttle_key=(k)x\nfront_brake_key=(k)c\nrear_brake_key=(k)v\nleft_key=(k)left\n"
      "right_key=(k)right\nclutch_key=(k)z\nupshift_key=(k)up\ndownshift_key=(k)down\n"
      "dab_key=(k)right ctrl\nback_up_key=(k)b\nlean_forward_key=(k)n\n"
      "lean_backward_key=(k)m\npause_key=(k)pause\nstep_key=(k).\nrewind_key=(k)\\\n"
      "skip_key=(k)/\nprev_key=(k)[\nnext_key=(k)]\nconsole_key=(k)t\nscreenshot_key=(k)s\n"
      // The pad's bindings follow the keys; controls with no pad default are written empty,
      // as a binding the player cleared is, so that reading the file keeps them unbound.
      "throttle_pad=(0.062500,0.937500)Gamepad.axis[5]\n"
      "front_brake_pad=(0.062500,0.937500)Gamepad.axis[4]\n"
      "rear_brake_pad=(k)Gamepad button 9\n"
      "left_pad=(-0.062500,-0.937500)Gamepad.axis[0]\n"
      "right_pad=(0.062500,0.937500)Gamepad.axis[0]\n"
      "clutch_pad=(k)Gamepad button 10\nupshift_pad=(k)Gamepad button 0\n"
      "downshift_pad=(k)Gamepad button 2\ndab_pad=(k)Gamepad button 3\n"
      "back_up_pad=(k)Gamepad button 1\n"
      "lean_forward_pad=(-0.062500,-0.937500)Gamepad.axis[3]\n"
      "lean_backward_pad=(0.062500,0.937500)Gamepad.axis[3]\n"
      "pause_pad=(k)Gamepad button 4\nstep_pad=\nrewind_pad=\nskip_pad=\n"
      "prev_pad=(k)Gamepad button 13\nnext_pad=(k)Gamepad button 14\n"
      "console_pad=\nscreenshot_pad=\n";
  std::vector<std::string> want = lines_of(expected), got = lines_of(br::config_write(w));
  ASSERT_EQ(got.size(), want.size());
  for (size_t i = 0; i < want.size(); ++i) EXPECT_EQ(got[i], want[i]) << "line " << i + 1;
}

TEST_F(ConfigFile, RoundTripKeepsEveryValue) {
  br_test::set_sample_settings(w);
  std::string first = br::config_write(w);

  br::world_reset();
  br_test::offer_sample_gear_textures(w);
  br::config_read_text(w, first);
  std::string second = br::config_write(w);
  EXPECT_EQ(second, first);
  EXPECT_EQ(written(second, "stability"), "99.000000");
  EXPECT_EQ(written(second, "roll_damping"), "81.000000");  // not the preset's 79.75

  // The same file with CR LF line ends reads the same.
  std::string crlf;
  for (const std::string& line : lines_of(first)) crlf += line + "\r\n";
  br::world_reset();
  br_test::offer_sample_gear_textures(w);
  br::config_read_text(w, crlf);
  EXPECT_EQ(br::config_write(w), first);
}

// A file grown long by hand or by a tool (every key many times over, unknown keys between)
// reads as its last value of each key, setup keys included.
TEST_F(ConfigFile, AFileOfManyLinesReadsAsItsLastValues) {
  br_test::set_sample_settings(w);
  const std::string sample = br::config_write(w);

  br::world_reset();
  br_test::offer_sample_gear_textures(w);
  std::string text;
  for (int i = 0; i < 2000; ++i) {
    text += "unknown_key_" + std::to_string(i) + "=1\n";
    text += "stability=" + std::to_string(i % 100) + "\n";
    text += "roll_damping=" + std::to_string(i % 50) + "\n";
    text += "xres=" + std::to_string(640 + i) + "\n";
  }
  text += sample;
  br::config_read_text(w, text);
  EXPECT_EQ(br::config_write(w), sample);
}

TEST_F(ConfigFile, FileWriteReplacesTheWholeFileOrNothing) {
  br_test::TempDir dir;
  std::string path = dir.file("config");
  EXPECT_FALSE(br::config_read_file(w, path));  // missing: nothing changes, no failure
  br_test::write_file(path, "laps=9\n");
  ::chmod(path.c_str(), 0600);
  ASSERT_TRUE(br::config_read_file(w, path));
  EXPECT_EQ(s.laps.value, 9);

  ASSERT_TRUE(br::config_write_file(w, path));
  EXPECT_EQ(br_test::read_file(path), br::config_write(w));
  struct stat st;
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);  // the player's permissions are kept
  auto entries = [&] {
    int n = 0;
    for (auto& e : std::filesystem::directory_iterator(dir.path())) n += e.exists() ? 1 : 0;
    return n;
  };
  EXPECT_EQ(entries(), 1);  // no temporary file is left behind

  // Through a symbolic link the target is replaced and the link stays.
  std::filesystem::create_directory(dir.file("dotfiles"));
  std::filesystem::rename(path, dir.file("dotfiles/config"));
  std::filesystem::create_symlink(dir.file("dotfiles/config"), path);
  s.laps.value = 11;
  ASSERT_TRUE(br::config_write_file(w, path));
  EXPECT_TRUE(std::filesystem::is_symlink(path));
  EXPECT_EQ(br_test::read_file(dir.file("dotfiles/config")), br::config_write(w));

  // A directory in the file's place: nothing written. A missing directory is made, as for
  // every file the game writes.
  std::filesystem::create_directory(dir.file("taken"));
  EXPECT_FALSE(br::config_write_file(w, dir.file("taken")));
  EXPECT_TRUE(std::filesystem::is_directory(dir.file("taken")));
  EXPECT_EQ(entries(), 3);  // the link, its directory and "taken"
  EXPECT_TRUE(br::config_write_file(w, dir.file("missing/config")));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.file("dotfiles")),
                          std::filesystem::directory_iterator()),
            1);
}

TEST_F(ConfigFile, AWriteThatFailsHalfwayLeavesTheOldFile) {
  br_test::TempDir dir;
  std::string path = dir.file("config");
  br_test::write_file(path, "laps=9\n");
  br_test::set_sample_settings(w);
  // A child whose files may not grow past 100 bytes runs out of room mid-write, like a full
  // disk would make it.
  pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    rlimit limit{100, 100};
    setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, SIG_IGN);
    _exit(br::config_write_file(w, path) ? 0 : 3);
  }
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 3);
  EXPECT_EQ(br_test::read_file(path), "laps=9\n");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                          std::filesystem::directory_iterator()),
            1);
}

}  // namespace
