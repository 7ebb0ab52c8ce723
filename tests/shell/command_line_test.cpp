#include "shell/command_line.h"

#include <gtest/gtest.h>

namespace {

using br::CommandLine;
using br::ParseOutcome;

struct Parsed {
  ParseOutcome outcome;
  CommandLine cl;
  std::string out, err;
};

Parsed parse(std::vector<std::string> args) {
  Parsed p;
  p.outcome = br::parse_command_line(args, p.cl, p.out, p.err);
  return p;
}

TEST(CommandLine, ValuesComeAsSeparateOrEqualsArguments) {
  EXPECT_FLOAT_EQ(parse({"--lock-fps=30"}).cl.lock_fps, 30);
  EXPECT_FLOAT_EQ(parse({"--lock-fps", "30"}).cl.lock_fps, 30);
  Parsed last = parse({"--nosound", "--lock-fps"});
  EXPECT_EQ(last.outcome, ParseOutcome::kExitBad);
  EXPECT_EQ(last.err, "Bad arg for --lock-fps\n");
  EXPECT_EQ(parse({"--lock-fps", "fast"}).err, "Bad arg for --lock-fps\n");
}

TEST(CommandLine, FlagsMatchOnlyTheExactText) {
  Parsed p = parse({"--nosound=1"});
  EXPECT_EQ(p.outcome, ParseOutcome::kExitBad);
  EXPECT_EQ(p.err, "bad option '--nosound=1'\n");
  EXPECT_TRUE(parse({"--nosound"}).cl.no_sound);
  EXPECT_EQ(parse({"--lock-fpsx=3"}).err, "bad option '--lock-fpsx=3'\n");
}

TEST(CommandLine, NumbersAreClampedSilently) {
  Parsed p = parse({"--texture-detail", "9", "--ground-texture-detail", "-3"});
  EXPECT_EQ(*p.cl.texture_detail, 4);
  EXPECT_EQ(*p.cl.ground_texture_detail, 0);
  // --texture-detail sets both reductions; a later ground option still wins for the ground.
  EXPECT_EQ(*parse({"--texture-detail=2"}).cl.ground_texture_detail, 2);
  EXPECT_FLOAT_EQ(parse({"--fake-lag", "2500"}).cl.fake_lag_seconds, 1.0f);
  EXPECT_FLOAT_EQ(parse({"--fake-lag", "250"}).cl.fake_lag_seconds, 0.25f);
  EXPECT_EQ(parse({"--fake-loss", "150"}).cl.fake_loss_percent, 100);
  EXPECT_FLOAT_EQ(*parse({"--erode", "-5"}).cl.erode, 0.0f);
  EXPECT_FLOAT_EQ(*parse({"--lod-scale", "0"}).cl.lod_scale, 0.000001f);
  EXPECT_EQ(*parse({"--roostfrequency", "5000"}).cl.roost_frequency, 1000);
  // No locked frame lasts longer than the loop ever simulates at once (1/8 s).
  EXPECT_FLOAT_EQ(parse({"--lock-fps", "0.001"}).cl.lock_fps, 8.0f);
  EXPECT_FLOAT_EQ(parse({"--lock-fps", "1e9"}).cl.lock_fps, 1000.0f);
  EXPECT_FLOAT_EQ(parse({"--lock-fps", "-5"}).cl.lock_fps, 0.0f);
}

TEST(CommandLine, NumbersThatAreNotNumbersAreRefused) {
  for (const char* bad : {"nan", "inf", "", "x1"}) {
    EXPECT_EQ(parse({"--erode", bad}).outcome, ParseOutcome::kExitBad) << bad;
  }
  // Integers without a message take 0 for text.
  Parsed p = parse({"--depth", "deep", "--width", "800x"});
  EXPECT_EQ(p.outcome, ParseOutcome::kRun);
  EXPECT_EQ(p.cl.colour_bits, 0);
  EXPECT_EQ(*p.cl.width, 800);
}

TEST(CommandLine, ChaseCenterNeedsThreeNumbers) {
  EXPECT_EQ(parse({"--chase-center", "1,2"}).err, "Bad arg for --chase-center\n");
  Parsed p = parse({"--chase-center=1,2.5,-3"});
  EXPECT_FLOAT_EQ(p.cl.chase_center[1], 2.5f);
  EXPECT_FLOAT_EQ(p.cl.chase_center[2], -3.0f);
  CommandLine defaults;
  EXPECT_FLOAT_EQ(defaults.chase_center[1], 2.52f);
}

TEST(CommandLine, DoubleDashMakesTheNextArgumentTheDemoFile) {
  Parsed p = parse({"--", "-weird.brdemo"});
  EXPECT_EQ(p.outcome, ParseOutcome::kRun);
  EXPECT_EQ(*p.cl.demo_file, "-weird.brdemo");
  EXPECT_EQ(parse({"-weird.brdemo"}).err, "bad option '-weird.brdemo'\n");
  EXPECT_EQ(parse({"a.brdemo", "b.brdemo"}).err, "Too many files!\n");
  EXPECT_EQ(parse({"--", "--nosound", "x"}).err, "Too many files!\n");
}

TEST(CommandLine, ConnectDropsItsSchemePrefix) {
  Parsed p = parse({"--connect", "bermrider:race.example:19800", "--track", "rabbithill"});
  EXPECT_EQ(*p.cl.connect, "race.example:19800");
  EXPECT_EQ(*parse({"--connect=host"}).cl.connect, "host");
}

TEST(CommandLine, BikesIsIgnoredWithANoticeAndStartUpGoesOn) {
  Parsed p = parse({"--bikes", "3", "--warp"});
  EXPECT_EQ(p.outcome, ParseOutcome::kRun);
  EXPECT_EQ(p.err, "--bikes doesn't do anything anymore\n");
  EXPECT_TRUE(p.cl.warp);
}

TEST(CommandLine, TextOptionsNeedAValue) {
  EXPECT_EQ(parse({"--track"}).err, "Bad arg for --track\n");
}

TEST(CommandLine, HelpAndVersionAnswerOnStandardOutput) {
  Parsed help = parse({"--help"});
  EXPECT_EQ(help.outcome, ParseOutcome::kExitOk);
  EXPECT_NE(help.out.find("Usage: bermrider"), std::string::npos);
  Parsed version = parse({"--version"});
  EXPECT_EQ(version.out, "Bermrider 2015-05-01-1264 snapshot\n");
  EXPECT_TRUE(br::asks_for_help_or_version({"--warp", "--version"}));
  EXPECT_FALSE(br::asks_for_help_or_version({"--", "--version"}));
}

TEST(CommandLine, EveryFlagLandsInItsField) {
  Parsed p =
      parse({"--fugly", "--novertexarrays", "--learn", "--nolearn", "--nommx", "--super-debug",
             "--practice", "--record-video", "--editor", "--hidden-pause", "--hidden-hud",
             "--accurate-skip", "--open-home", "--glfinish", "--print-orientation"});
  ASSERT_EQ(p.outcome, ParseOutcome::kRun);
  const CommandLine& c = p.cl;
  EXPECT_TRUE(c.fugly && c.no_vertex_arrays && c.no_mmx && c.practice && c.record_video &&
              c.editor && c.accurate_skip && c.open_home && c.glfinish && c.print_orientation);
  EXPECT_FALSE(c.learn);
  EXPECT_FALSE(c.pause_text_shown);
  EXPECT_FALSE(c.hud_shown);
  EXPECT_EQ(c.debug_level, 2);
}

}  // namespace
