// Demo files of every version, written byte by byte from their layout here so that the tests
// do not trust the game's own writer, read through the game's player; and demos broken in
// the ways a crash, a bad disk or a hostile file would break them.
#include <gtest/gtest.h>

#include <string>

#include "files/files_fixture.h"
#include "files/little_endian.h"
#include "files/messages.h"
#include "replay/demo_format.h"
#include "replay/demo_player.h"
#include "replay/history.h"

namespace br {
namespace {

std::string u32(uint32_t v) {
  uint8_t b[4];
  write_u32_le(b, v);
  return std::string(reinterpret_cast<char*>(b), 4);
}

// A snapshot whose engine speed bytes carry `mark`, so entries can be told apart.
std::string snapshot(uint8_t mark, int bytes = kSnapshotBytes) {
  std::string s(static_cast<size_t>(bytes), '\0');
  s[static_cast<size_t>(bytes - 1)] = static_cast<char>(mark);
  return s;
}

std::string entry(uint8_t ordinal, int32_t step, uint8_t mark) {
  return std::string(1, static_cast<char>(ordinal)) + u32(static_cast<uint32_t>(step)) +
         snapshot(mark);
}

// Builds the block chain, each link the XOR of the previous and this payload length.
struct Blocks {
  std::string bytes;
  uint32_t last = 0;
  Blocks& add(int32_t step, uint8_t type, const std::string& payload) {
    auto length = static_cast<uint32_t>(payload.size());
    bytes += u32(last ^ length) + u32(static_cast<uint32_t>(step)) +
             std::string(1, static_cast<char>(type)) + payload;
    last = length;
    return *this;
  }
};

constexpr const char* kTwoRiders =
    "BR06 2 0 3 1800\n"
    "flat\n"
    "kx250f|@rider_body-alt1.png|||@rider_head-alt2.png\n"
    "12\n"
    "Ann\n"
    "\n"
    "crf450(2013)||@crf450-alt1.png|@wheels-alt1.png|\n"
    "7\n"
    "Bo\n"
    "a line a later version added\n"
    "\n";

class DemoFile : public ::testing::Test {
 protected:
  void SetUp() override { world_reset(); }
  void TearDown() override {
    close_playback(g_world);
    world_reset();
  }
  std::string write(const std::string& name, const std::string& bytes) {
    std::string path = dirs.root(name);
    br_test::DataDirs::put(path, bytes);
    return path;
  }
  // Opens `bytes` as a demo whose riders drive slots 4, 5, ...
  bool open(const std::string& bytes) {
    if (!open_playback(g_world, write("d.brdemo", bytes))) return false;
    for (int i = 0; i < g_world.replay.player.header.riders; ++i)
      bind_demo_rider(g_world, i, 4 + i);
    return true;
  }
  std::vector<int32_t> stamps(int slot) {
    const StateHistory& h = g_world.replay.histories[static_cast<size_t>(slot)];
    std::vector<int32_t> out;
    for (int back = kHistoryEntries - 1; back >= 0; --back) {
      int32_t t = h.times[static_cast<size_t>(history_index(h, back))];
      if (t != kEmptyEntry) out.push_back(t);
    }
    return out;
  }
  uint8_t newest_mark(int slot) {
    const StateHistory& h = g_world.replay.histories[static_cast<size_t>(slot)];
    return h.states[static_cast<size_t>(h.newest)][kSnapshotBytes - 1];
  }
  br_test::DataDirs dirs;
};

TEST_F(DemoFile, VersionSixHeaderBlocksAndMessages) {
  std::string text(1500, 'x');
  text.replace(0, 5, "hello");
  Blocks b;
  b.add(5000, 1, entry(0, 5000, 1) + entry(1, 5000, 2))
      .add(5010, 2, text)
      .add(5016, 9, "a block of a kind nobody reads")
      .add(5016, 1, entry(1, 5004, 3) + entry(0, 5008, 4) + entry(1, 5016, 5));
  ASSERT_TRUE(open(kTwoRiders + b.bytes));
  const DemoHeader& h = g_world.replay.player.header;
  EXPECT_EQ(h.version, 6);
  EXPECT_EQ(h.laps, 3);
  EXPECT_EQ(h.start_step, 1800);
  EXPECT_EQ(h.track, "flat");
  ASSERT_EQ(h.rider_list.size(), 2u);
  EXPECT_EQ(h.rider_list[0].bike, "kx250f");
  EXPECT_EQ(h.rider_list[0].rider_texture, "@rider_body-alt1.png");
  EXPECT_EQ(h.rider_list[0].head_texture, "@rider_head-alt2.png");
  EXPECT_EQ(h.rider_list[0].name, "Ann");
  EXPECT_EQ(h.rider_list[1].wheel_texture, "@wheels-alt1.png");
  EXPECT_EQ(h.rider_list[1].number, "7");
  EXPECT_EQ(h.rider_list[1].name, "Bo");

  // The first block sets the clock to the demo's start; everything within reach is read.
  g_world.frame = 0;
  playback_step(g_world);
  EXPECT_EQ(g_world.frame, 5000);
  EXPECT_EQ(stamps(4), (std::vector<int32_t>{5000, 5008}));
  EXPECT_EQ(stamps(5), (std::vector<int32_t>{5000, 5004, 5016}));
  EXPECT_EQ(newest_mark(5), 5);
  // The text's first part became a message line; the block after it was found whole.
  EXPECT_EQ(std::string(message_line(0)).substr(0, 5), "hello");
}

TEST_F(DemoFile, TheReaderStaysHalfASecondAhead) {
  Blocks b;
  for (int32_t t = 0; t <= 320; t += 16) b.add(t, 1, entry(0, t, static_cast<uint8_t>(t / 16)));
  ASSERT_TRUE(open(std::string("BR06 1 0 0 0\nflat\nrm125||||\n1\n\n\n") + b.bytes));
  g_world.frame = 0;
  playback_step(g_world);
  // Blocks up to 64 steps ahead of the clock, and the one that first passes it.
  EXPECT_EQ(stamps(4).back(), 80);
  g_world.frame = 100;
  playback_step(g_world);
  EXPECT_EQ(stamps(4).back(), 176);
}

TEST_F(DemoFile, VersionsFourAndFiveAreFramesOfSnapshots) {
  // Version 5 with only version, riders and duration: no laps, the start 14 s in.
  std::string v5 = "BR5 1 100\nflat\nyz125||||\n21\n";
  for (int i = 0; i < 30; ++i) v5 += snapshot(static_cast<uint8_t>(i));
  ASSERT_TRUE(open(v5));
  EXPECT_EQ(g_world.replay.player.header.laps, 0);
  EXPECT_EQ(g_world.replay.player.header.start_step, 1792);
  g_world.frame = 10;
  playback_step(g_world);
  EXPECT_EQ(stamps(4), (std::vector<int32_t>{10, 11, 12, 13, 14, 15, 16, 17, 18}));
  EXPECT_EQ(newest_mark(4), 8);  // the ninth frame of the file

  // Version 4: 26-byte snapshots, two riders per frame, no name lines.
  std::string v4 = "BR4 2 0 5 100\nflat\nkx125||||\n1\nrm125||||\n2\n";
  for (int i = 0; i < 12; ++i) {
    v4 += snapshot(static_cast<uint8_t>(i), kOldSnapshotBytes) +
          snapshot(static_cast<uint8_t>(100 + i), kOldSnapshotBytes);
  }
  ASSERT_TRUE(open(v4));
  EXPECT_EQ(g_world.replay.player.header.rider_list[1].bike, "rm125");
  g_world.frame = 0;
  playback_step(g_world);
  EXPECT_EQ(stamps(5).size(), 9u);
  const StateHistory& h = g_world.replay.histories[5];
  EXPECT_EQ(h.states[static_cast<size_t>(h.newest)][kOldSnapshotBytes - 1], 108);
}

TEST_F(DemoFile, HeadersThatAreNotDemosFailWithAReason) {
  struct Case {
    const char* bytes;
    const char* reason;
  } cases[] = {
      {"", "no header line"},
      {"BR07 1 0 0 0\nflat\n", "version 7"},
      {"BR03 1 0 0 0\nflat\n", "version 3"},
      {"BR06 1\nflat\n", "bad header"},
      {"PK\x03\x04 something else entirely\n", "bad header"},
      {"BR06 100000 0 0 0\nflat\n", "100000 riders"},
      {"BR06 -2 0 0 0\nflat\n", "-2 riders"},
      {"BR06 1 0 0 0\n", "no track"},
      {"BR06 1 0 0 0\nflat", "no track"},
      {"BR06 1 0 0 0\n../../etc\n", "usable track"},
      {"BR06 2 0 0 0\nflat\nrm125||||\n1\nAnn\n\nkx125||||\n", "rider 2"},
      {"BR06 1 0 0 0\nflat\nrm125||||\n1\nAnn\n", "rider 1"},  // no empty line
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.reason);
    DataFilePtr f(data_open(write("bad.brdemo", c.bytes).c_str(), "rb"));
    ASSERT_TRUE(f);
    DemoHeader h;
    std::string error;
    EXPECT_FALSE(read_demo_header(f.get(), h, error));
    EXPECT_NE(error.find(c.reason), std::string::npos) << error;
    EXPECT_FALSE(open(c.bytes));
    EXPECT_FALSE(playing(g_world));
  }
  // A line longer than any header line is not one.
  EXPECT_FALSE(open("BR06 1 0 0 0\n" + std::string(5000, 'a') + "\n"));
}

TEST_F(DemoFile, BrokenBlocksEndTheReadingWithoutHarm) {
  std::string head = "BR06 1 0 0 0\nflat\nrm125||||\n1\n\n\n";
  // Cut short inside its last block, as a killed game leaves it.
  Blocks b;
  b.add(0, 1, entry(0, 0, 1)).add(16, 1, entry(0, 4, 2) + entry(0, 8, 3));
  std::string cut = head + b.bytes.substr(0, b.bytes.size() - 30);
  ASSERT_TRUE(open(cut));
  playback_step(g_world);
  playback_step(g_world);
  EXPECT_EQ(stamps(4), (std::vector<int32_t>{0, 4}));

  // A length of nearly 4 GB (a whole number of entries), an odd-sized state block and an
  // ordinal beyond the riders.
  Blocks odd;
  odd.add(0, 1, entry(0, 0, 1)).add(1, 1, std::string(45, 'z')).add(2, 1, entry(9, 2, 7));
  odd.bytes += u32(odd.last ^ 0xffffffd0u) + u32(3) + "\x01" + entry(0, 3, 8);
  ASSERT_TRUE(open(head + odd.bytes));
  for (int i = 0; i < 3; ++i) playback_step(g_world);
  EXPECT_EQ(stamps(4), (std::vector<int32_t>{0, 3}));

  DemoSummary s;
  std::string error;
  ASSERT_TRUE(summarise_demo(write("cut.brdemo", cut).c_str(), s, error));
  EXPECT_EQ(s.blocks, 1);
  EXPECT_GT(s.trailing_bytes, 0);
  EXPECT_EQ(s.last_step, 4);  // the whole entry of the cut block counts
}

}  // namespace
}  // namespace br
