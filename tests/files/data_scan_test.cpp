#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "files/data_file.h"
#include "files_fixture.h"

namespace {

using br_test::DataDirs;

br::DataFilePtr open_text(const DataDirs& d, const std::string& text) {
  DataDirs::put(d.game("t.txt"), text);
  return br::DataFilePtr(br::data_open("@t.txt", "rb"));
}

TEST(DataScan, ReadIntAfterACommentLine) {
  DataDirs d;
  auto f = open_text(d, "# heights in feet\n12\n");
  br::data_skip_comments(f.get());
  EXPECT_EQ(br::data_read_int(f.get()), 12);
  EXPECT_EQ(br::data_read_int(f.get()), br::kNoInt);
}

TEST(DataScan, CommentsRunToTheEndOfTheLineWhereverTheyStart) {
  DataDirs d;
  auto f = open_text(d, "  # one\n#\n\t# two # still two\n7 # after a value\n  # last\n-3");
  br::data_skip_comments(f.get());
  EXPECT_EQ(br::data_read_int(f.get()), 7);
  br::data_skip_comments(f.get());
  EXPECT_EQ(br::data_read_int(f.get()), -3);
  br::data_skip_comments(f.get());
  EXPECT_EQ(br::data_getc(f.get()), -1);
}

TEST(DataScan, TheUsualConversions) {
  DataDirs d;
  auto f = open_text(d, "gate 3 x=1.5,-2e1 name:rabbit_hill 0x1f 017 tail\nAB rest of line\n");
  char word[16], name[32], rest[32], two[3] = {};
  int gate = 0, hex = 0, oct = 0, consumed = 0;
  float x = 0, y = 0;
  EXPECT_EQ(br::data_scanf(f.get(), "%15s %d x=%f,%f name:%31[a-z_] %x %i%n", word, &gate, &x, &y,
                           name, &hex, &oct, &consumed),
            7);
  EXPECT_STREQ(word, "gate");
  EXPECT_EQ(gate, 3);
  EXPECT_FLOAT_EQ(x, 1.5f);
  EXPECT_FLOAT_EQ(y, -20.0f);
  EXPECT_STREQ(name, "rabbit_hill");
  EXPECT_EQ(hex, 31);
  EXPECT_EQ(oct, 15);
  EXPECT_EQ(consumed, 43);
  EXPECT_EQ(br::data_scanf(f.get(), " %*s %2c %31[^\n]", two, rest), 2);
  EXPECT_STREQ(two, "AB");
  EXPECT_STREQ(rest, "rest of line");
  EXPECT_EQ(br::data_scanf(f.get(), "%d", &gate), -1);
}

TEST(DataScan, LengthModifiersStoreIntoTheirOwnWidth) {
  DataDirs d;
  auto f = open_text(d, "-1 300 -70000 4000000000 9000000000 77 -5");
  signed char tiny = 0;
  short s = 0;
  long l = 0;
  unsigned long long ull = 0;
  size_t z = 0;
  intmax_t j = 0;
  ptrdiff_t t = 0;
  int count_int = 0;
  long long count_ll = 0;
  short count_short = 0;
  EXPECT_EQ(br::data_scanf(f.get(), "%hhd%hd%n%ld%lln%llu%zu%jd%hn%td", &tiny, &s, &count_int, &l,
                           &count_ll, &ull, &z, &j, &count_short, &t),
            7);
  EXPECT_EQ(tiny, -1);
  EXPECT_EQ(s, 300);
  EXPECT_EQ(count_int, 6);
  EXPECT_EQ(l, -70000);
  EXPECT_EQ(count_ll, 13);
  EXPECT_EQ(ull, 4000000000ull);
  EXPECT_EQ(z, 9000000000u);
  EXPECT_EQ(j, 77);
  EXPECT_EQ(count_short, 38);
  EXPECT_EQ(t, -5);
  // A word cut by its width leaves the rest for the next conversion.
  auto g = open_text(d, "abcdef");
  char head[4] = {}, tail[8] = {};
  EXPECT_EQ(br::data_scanf(g.get(), "%3s%7[a-z]", head, tail), 2);
  EXPECT_STREQ(head, "abc");
  EXPECT_STREQ(tail, "def");
}

TEST(DataScan, AMismatchStopsWithoutLosingTheCharacter) {
  DataDirs d;
  auto f = open_text(d, "12 apples");
  int a = 0, b = 0;
  EXPECT_EQ(br::data_scanf(f.get(), "%d %d", &a, &b), 1);
  EXPECT_EQ(br::data_getc(f.get()), 'a');
  double w = 0;
  auto g = open_text(d, "width=8.25");
  EXPECT_EQ(br::data_scanf(g.get(), "width=%lf", &w), 1);
  EXPECT_DOUBLE_EQ(w, 8.25);
}

}  // namespace
