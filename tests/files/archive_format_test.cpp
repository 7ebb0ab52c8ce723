#include "files/archive_format.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "files/gzip_header.h"
#include "files/scramble.h"
#include "files_fixture.h"

namespace {

std::optional<std::vector<br::ArchiveMember>> parse(const std::string& bytes) {
  std::string copy = bytes;
  FILE* f = bytes.empty() ? std::tmpfile() : fmemopen(copy.data(), copy.size(), "rb");
  auto members = br::read_archive_header(f, bytes.size());
  std::fclose(f);
  return members;
}

TEST(ArchiveHeader, MembersFollowTheEndLineInHeaderOrder) {
  std::string bytes =
      br_test::archive_bytes({{"a//b///c.txt", "hello"}, {"empty", ""}, {"x", "123"}});
  auto m = parse(bytes);
  ASSERT_TRUE(m);
  ASSERT_EQ(m->size(), 3u);
  EXPECT_EQ((*m)[0].name, "a/b/c.txt");
  size_t body = bytes.find("-\n") + 2;
  EXPECT_EQ((*m)[0].offset, body);
  EXPECT_EQ((*m)[1].offset, body + 5);
  EXPECT_EQ((*m)[1].size, 0u);
  EXPECT_EQ((*m)[2].offset, body + 5);
  EXPECT_EQ(bytes.substr((*m)[2].offset, 3), "123");
}

TEST(ArchiveHeader, BrokenHeadersMakeTheWholeArchiveInvalid) {
  const char* broken[] = {
      "",                                // nothing at all
      "5 a\n",                           // ends before the "-" line
      "5 a\nhello",                      // contents but no "-" line
      "5 a\n-",                          // "-" line without its line feed
      "5 a",                             // header line without its line feed
      "x a\n-\nhello",                   // a line that is not a number
      " 5 a\n-\nhello",                  // the number must come first
      "5\n-\nhello",                     // no separator and no name
      "5 \n-\nhello",                    // empty name
      "6 a\n-\nhello",                   // contents reach past the end of the file
      "99999999999999999999999 a\n-\n",  // size that cannot be real
      "18446744073709551616 a\n-\n",     // overflows 64 bits
  };
  for (const char* b : broken) EXPECT_FALSE(parse(b)) << b;
  std::string long_name = "1 " + std::string(br::kArchiveMaxLine + 10, 'n') + "\n-\nz";
  EXPECT_FALSE(parse(long_name));
  std::string with_nul = std::string("1 a\0b\n-\nz", 9);
  EXPECT_FALSE(parse(with_nul));
}

// Random damage to a valid archive never crashes the reader, and whatever it accepts lies
// inside the file.
TEST(ArchiveHeader, DamagedArchivesStayInBounds) {
  std::string good = br_test::archive_bytes({{"one", "111"}, {"dir/two", "2222"}, {"three", "3"}});
  std::mt19937 rng(7);
  for (int round = 0; round < 3000; ++round) {
    std::string bytes = good;
    int edits = 1 + static_cast<int>(rng() % 4);
    for (int e = 0; e < edits; ++e) {
      size_t at = rng() % bytes.size();
      switch (rng() % 4) {
        case 0:
          bytes[at] = static_cast<char>(rng());
          break;
        case 1:
          bytes.erase(at, 1);
          break;
        case 2:
          bytes.insert(at, 1, "0123456789\n- "[rng() % 13]);
          break;
        case 3:
          bytes.resize(at);
          break;
      }
      if (bytes.empty()) bytes = "-";
    }
    auto m = parse(bytes);
    if (!m) continue;
    for (const auto& member : *m) {
      EXPECT_LE(member.offset + member.size, bytes.size());
      EXPECT_FALSE(member.name.empty());
    }
  }
}

TEST(ArchiveHeader, OnlyRelativeNamesWithoutDotDotAreSafeToExtract) {
  EXPECT_TRUE(br::archive_name_is_safe("tracks/rabbithill/desc"));
  for (const char* bad : {"", "/etc/passwd", "../x", "a/../../x", "a/./b", "a/", "a\\b", ".."}) {
    EXPECT_FALSE(br::archive_name_is_safe(bad)) << bad;
  }
}

TEST(GzipHeader, ZlibHeaderWithNameCommentExtraAndCheckIsMeasured) {
  std::string gz = br_test::gzip_bytes("some text");
  const auto* p = reinterpret_cast<const uint8_t*>(gz.data());
  auto len = br::gzip_header_length(p, gz.size());
  ASSERT_TRUE(len);
  // 10 fixed + 2 + 6 extra + name + comment (with terminators) + 2 check.
  EXPECT_EQ(*len, 10u + 2 + 6 + 18 + 24 + 2);
  // Every cut inside the header is refused rather than read past.
  for (size_t n = 0; n < *len; ++n) {
    std::vector<uint8_t> cut(p, p + n);
    EXPECT_FALSE(br::gzip_header_length(cut.data(), cut.size())) << n;
  }
}

TEST(GzipHeader, ForeignOrReservedHeadersAreRefused) {
  uint8_t plain[] = {0x1f, 0x8b, 8, 0, 0, 0, 0, 0, 0, 3};
  EXPECT_EQ(br::gzip_header_length(plain, sizeof plain), 10u);
  uint8_t method[] = {0x1f, 0x8b, 7, 0, 0, 0, 0, 0, 0, 3};
  uint8_t reserved[] = {0x1f, 0x8b, 8, 32, 0, 0, 0, 0, 0, 3};
  uint8_t magic[] = {0x1f, 0x8c, 8, 0, 0, 0, 0, 0, 0, 3};
  uint8_t huge_extra[] = {0x1f, 0x8b, 8, 4, 0, 0, 0, 0, 0, 3, 0xff, 0xff, 1, 2};
  uint8_t unterminated[] = {0x1f, 0x8b, 8, 8, 0, 0, 0, 0, 0, 3, 'a', 'b', 'c'};
  EXPECT_FALSE(br::gzip_header_length(method, sizeof method));
  EXPECT_FALSE(br::gzip_header_length(reserved, sizeof reserved));
  EXPECT_FALSE(br::gzip_header_length(magic, sizeof magic));
  EXPECT_FALSE(br::gzip_header_length(huge_extra, sizeof huge_extra));
  EXPECT_FALSE(br::gzip_header_length(unterminated, sizeof unterminated));
}

TEST(Scramble, TheTransformUndoesItselfAndDoesNotDependOnBlockSizes) {
  std::string text = "The quick brown fox jumps over the berm. 0123456789";
  std::vector<uint8_t> a(text.begin(), text.end());
  br::ScrambleStream s1;
  br::scramble_bytes(s1, a.data(), a.size());
  EXPECT_NE(std::string(a.begin(), a.end()), text);
  // Descrambling in uneven pieces gives the text back.
  br::ScrambleStream s2;
  br::scramble_bytes(s2, a.data(), 7);
  br::scramble_bytes(s2, a.data() + 7, a.size() - 7);
  EXPECT_EQ(std::string(a.begin(), a.end()), text);
}

}  // namespace
