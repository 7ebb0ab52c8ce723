#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <limits>
#include <new>
#include <string>

#include "files/digest.h"
#include "files/home.h"
#include "files/memory.h"
#include "files/messages.h"
#include "files_fixture.h"
#include "platform/log.h"
#include "support/sanitizers.h"
#include "world/world.h"

namespace {

TEST(Digest, PublishedRipemd160Vectors) {
  EXPECT_EQ(br::ripemd160_hex("", 0), "9c1185a5c5e9fc54612808977ee8f548b2258d31");
  EXPECT_EQ(br::ripemd160_hex("abc", 3), "8eb208f7e05d987a9b044a8e98c6b087f15a0bfc");
}

TEST(Digest, TheReleaseCheckReadsOnlyTheFirstMegabyte) {
  br_test::TempDir dir;
  std::string big(br::kReleaseDigestSpan, 'z');
  br_test::write_file(dir.file("a"), big);
  br_test::write_file(dir.file("b"), big + "anything after the first megabyte");
  EXPECT_EQ(br::file_digest_hex(dir.file("a")), br::ripemd160_hex(big.data(), big.size()));
  EXPECT_EQ(br::file_digest_hex(dir.file("a")), br::file_digest_hex(dir.file("b")));
  EXPECT_FALSE(br::file_digest_hex(dir.file("missing")));
}

TEST(GameData, FoundByDigestInTheSecondDirectoryWithTheLogInHome) {
  br_test::DataDirs d;
  br_test::DataDirs::put(d.game("zzzz.saf"), br_test::archive_bytes({{"README", "ours"}}));
  std::string digest = *br::file_digest_hex(d.game("zzzz.saf"));
  std::filesystem::remove_all(d.home());
  kota::log_reset();
  unsetenv("KOTA_LOGFILE");
  EXPECT_FALSE(br::find_game_data("0000000000000000000000000000000000000000"));
  kota::log_printf(nullptr);
  EXPECT_TRUE(std::filesystem::is_directory(d.home()));
  EXPECT_NE(br_test::read_file(d.home("lastlog.txt")).find("Can't find game data"),
            std::string::npos);
  kota::log_reset();
  EXPECT_TRUE(br::find_game_data(digest.c_str()));
  kota::log_reset();
}

TEST(WorkingSet, SmallMachinesAreLeftAloneAndLargeOnesCapped) {
  EXPECT_FALSE(br::working_set_range(48ull << 20));
  auto r = br::working_set_range(4ull << 30);
  ASSERT_TRUE(r);
  EXPECT_EQ(r->minimum, 1073741824u);
  EXPECT_EQ(r->maximum, 2113929216u);
  auto small = br::working_set_range(96ull << 20);
  EXPECT_EQ(small->maximum, 64ull << 20);
  EXPECT_EQ(small->minimum, 64ull << 20);
}

TEST(Messages, RingShownCountAndExpiry) {
  br::world_reset();
  br::World& w = br::g_world;
  br::message_area_clear(w);
  br::set_message_lines(2);
  w.world_time = 10.0;
  br::show_message("first %d", 1);
  br::show_message("%s", std::string(300, 'x').c_str());
  br::show_message("third\n");
  EXPECT_EQ(w.visible_messages, 2);
  EXPECT_DOUBLE_EQ(w.message_expiry, 12.0);
  EXPECT_STREQ(br::message_line(0), "third\n");
  EXPECT_EQ(std::string(br::message_line(1)), std::string(127, 'x'));
  EXPECT_STREQ(br::message_line(2), "first 1");
  w.world_time = 12.5;
  br::expire_messages(w);
  EXPECT_EQ(w.visible_messages, 1);
  EXPECT_DOUBLE_EQ(w.message_expiry, 17.5);
  br::expire_messages(w);
  EXPECT_EQ(w.visible_messages, 1);
  // The ring wraps: after 1000 more lines the oldest is gone.
  for (int i = 0; i < br::kMessageRingLines; ++i) br::show_message("n%d", i);
  EXPECT_STREQ(br::message_line(0), "n999");
  EXPECT_STREQ(br::message_line(999), "n0");
  br::set_message_lines(5);
  br::message_area_clear(w);
  EXPECT_EQ(w.visible_messages, 0);
  EXPECT_STREQ(br::message_line(0), "");
}

TEST(Intern, EqualTextsShareOneCopy) {
  std::string a = "rabbithill", b = "rabbithill";
  EXPECT_EQ(br::intern(a.c_str()), br::intern(b.c_str()));
  EXPECT_NE(br::intern(a.c_str()), a.c_str());
  EXPECT_NE(br::intern("other"), br::intern(a.c_str()));
}

int g_hook_calls = 0;
void count_hook() {
  ++g_hook_calls;
  std::fprintf(stderr, "hook ran\n");
}

TEST(OutOfMemoryDeathTest, AllocatorAndOperatorNewEndTheProgramWithTheMessage) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  size_t impossible = std::numeric_limits<size_t>::max() / 2;
  EXPECT_EXIT(
      {
        br::add_out_of_memory_hook(count_hook);
        br::xmalloc(impossible);
      },
      testing::ExitedWithCode(1), "hook ran\n(.|\n)*Error: Out of virtual memory");
  if (br_test::kUnderAddressSanitizer) {
    GTEST_SKIP() << "the address sanitizer's operator new never calls the new handler";
  }
  EXPECT_EXIT(
      {
        br::install_new_handler();
        volatile size_t n = impossible;
        char* p = new char[n];
        p[0] = 1;
      },
      testing::ExitedWithCode(1), "Error: Out of virtual memory");
}

}  // namespace
