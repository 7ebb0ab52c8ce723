#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "files/data_file.h"
#include "files/data_index.h"
#include "files/scramble.h"
#include "files/search_dirs.h"
#include "files_fixture.h"
#include "support/temp_dir.h"

namespace {

using br_test::archive_bytes;
using br_test::DataDirs;
using br_test::read_all;

std::string scrambled(std::string text) {
  br::ScrambleStream s;
  br::scramble_bytes(s, reinterpret_cast<uint8_t*>(text.data()), text.size());
  return text;
}

TEST(SearchDirs, HomeFirstThenBrHomeEachEndingInOneSlash) {
  DataDirs d;
  EXPECT_EQ(br::search_directory(0), d.home());
  EXPECT_EQ(br::search_directory(1), d.game());
  EXPECT_EQ(br::normalize_directory("a\\\\b//c"), "a/b/c/");
  EXPECT_EQ(br::search_directory(br::search_directory_count()), nullptr);
}

TEST(SearchDirs, AnInstalledProgramFindsItsDataDirectoryBesideItsBinDirectory) {
  br_test::TempDir dir;
  std::filesystem::create_directories(dir.path() / "usr/bin");
  std::filesystem::create_directories(dir.path() / "build/bin");
  std::filesystem::create_directories(dir.path() / "usr" / BR_INSTALL_DATA_SUBDIR);
  std::string usr = dir.file("usr/");
  EXPECT_EQ(br::installed_data_directory(usr + BR_INSTALL_BIN_DIR "/"),
            br::normalize_directory(usr + BR_INSTALL_DATA_SUBDIR));
  // A build tree's program directory has no data directory beside it, and a folder that
  // merely ends in the same letters is no bin directory.
  EXPECT_EQ(br::installed_data_directory(dir.file("build/bin/")), "");
  EXPECT_EQ(br::installed_data_directory(dir.file("usr/x") + BR_INSTALL_BIN_DIR "/"), "");
  EXPECT_EQ(br::installed_data_directory(BR_INSTALL_BIN_DIR "/"), "");
}

TEST(DataOpen, HomeFileWinsOverPlainFileAndArchiveMember) {
  DataDirs d;
  DataDirs::put(d.home("tracks/t/desc"), "home");
  DataDirs::put(d.game("tracks/t/desc"), "game");
  DataDirs::put(d.game("a.saf"), archive_bytes({{"tracks/t/desc", "archive"}, {"only", "member"}}));
  EXPECT_EQ(read_all("@tracks/t/desc"), "home");
  EXPECT_EQ(read_all("@only"), "member");
  // The index lookup ignores case; the file system does not.
  EXPECT_EQ(read_all("@ONLY"), "member");
  EXPECT_EQ(read_all("@missing"), "<none>");
}

TEST(DataOpen, TheArchiveThatSortsFirstWinsAndMembersStopAtTheirLength) {
  DataDirs d;
  DataDirs::put(d.game("b.saf"), archive_bytes({{"name", "from b"}}));
  DataDirs::put(d.game("A.SAF"), archive_bytes({{"name", "from a"}, {"next", "after"}}));
  EXPECT_EQ(read_all("@name"), "from a");
  br::DataFilePtr f(br::data_open("@name", "rb"));
  char line[64];
  ASSERT_NE(br::data_gets(line, sizeof line, f.get()), nullptr);
  EXPECT_STREQ(line, "from a");
  EXPECT_EQ(br::data_getc(f.get()), -1);
  EXPECT_TRUE(br::data_seek(f.get(), 5));
  EXPECT_EQ(br::data_getc(f.get()), 'a');
  EXPECT_FALSE(br::data_seek(f.get(), 7));
}

TEST(DataOpen, InvalidArchivesContributeNothingAndSourcesStillCount) {
  DataDirs d;
  DataDirs::put(d.game("1.saf"), "3 x\n3 y\n");  // no "-" line
  DataDirs::put(d.game("2.saf"), "3 x\n-");      // "-" without line feed
  DataDirs::put(d.game("3.saf"), archive_bytes({{"x", "abc"}}));
  EXPECT_EQ(read_all("@x"), "abc");
  EXPECT_EQ(read_all("@y"), "<none>");
  const br::DataIndexEntry* e = br::data_index_find("x");
  ASSERT_NE(e, nullptr);
  // Two search directories (home, game) plus the installed one, then 1.saf, 2.saf, 3.saf.
  EXPECT_EQ(e->source, br::search_directory_count() + 2);
}

TEST(DataOpen, VariantsAreChosenBySourceAndDecoded) {
  DataDirs d;
  std::string text = "line one\nline two\n";
  DataDirs::put(d.game("pack.saf"), archive_bytes({{"same", "plain member"},
                                                   {"same.gz", br_test::gzip_bytes("gz member")},
                                                   {"zipped.gz", br_test::gzip_bytes(text)}}));
  // Home holds only a scrambled variant of "same": a lower source than the archive.
  DataDirs::put(d.home("same.scram"), scrambled("home scrambled"));
  DataDirs::put(d.game("both.gz.scram"), scrambled(br_test::gzip_bytes(text)));
  DataDirs::put(d.root("loose.gz"), br_test::gzip_bytes(text));
  EXPECT_EQ(read_all("@same"), "home scrambled");
  std::filesystem::remove(d.home("same.scram"));
  br::data_files_reset();
  // Plain and ".gz" in one archive: the plain member stays chosen.
  EXPECT_EQ(read_all("@same"), "plain member");
  EXPECT_EQ(read_all("@zipped"), text);
  EXPECT_EQ(read_all("@both"), text);
  EXPECT_EQ(read_all(d.root("loose").c_str()), text);
  br::DataFilePtr f(br::data_open("@zipped", "rb"));
  EXPECT_FALSE(br::data_seek(f.get(), 0));
}

TEST(DataOpen, DamagedGzipDataEndsTheReadInsteadOfCrashing) {
  DataDirs d;
  std::string text(60000, ' ');
  uint32_t s = 1;
  for (char& c : text) c = static_cast<char>('a' + (s = s * 1103515245 + 12345) % 26);
  std::string gz = br_test::gzip_bytes(text);
  DataDirs::put(d.game("cut.gz"), gz.substr(0, gz.size() / 2));
  std::string garbled = gz;
  for (size_t i = 70; i < garbled.size(); i += 3) garbled[i] = static_cast<char>(garbled[i] ^ 0x5a);
  DataDirs::put(d.game("garbled.gz"), garbled);
  DataDirs::put(d.game("header.gz"), gz.substr(0, 20));
  std::string cut = read_all("@cut");
  EXPECT_LT(cut.size(), text.size());
  EXPECT_GT(cut.size(), 0u);
  EXPECT_EQ(cut, text.substr(0, cut.size()));
  EXPECT_LE(read_all("@garbled").size(), text.size());
  EXPECT_EQ(read_all("@header"), "<none>");
}

TEST(DataOpen, WritingCreatesDirectoriesInTheHomeDirectory) {
  DataDirs d;
  br::DataFilePtr f(br::data_open("@demos/new/run.brdemo", "wb"));
  ASSERT_TRUE(f);
  br::data_printf(f.get(), "%d laps\n", 3);
  f.reset();
  EXPECT_EQ(br_test::read_file(d.home("demos/new/run.brdemo")), "3 laps\n");
}

TEST(DataOpen, RewriteCopiesToTheNextFreeBackupNumber) {
  DataDirs d;
  DataDirs::put(d.home("results.txt"), "current");
  DataDirs::put(d.home("results.txt.~1~"), "first");
  DataDirs::put(d.home("results.txt.~2~"), "second");
  br::DataFilePtr f(br::data_open("@results.txt", "~wb"));
  ASSERT_TRUE(f);
  br::data_puts(f.get(), "new");
  f.reset();
  EXPECT_EQ(br_test::read_file(d.home("results.txt.~3~")), "current");
  EXPECT_EQ(br_test::read_file(d.home("results.txt.~2~")), "second");
  EXPECT_EQ(br_test::read_file(d.home("results.txt")), "new");
  // No existing file: nothing to back up.
  br::DataFilePtr g(br::data_open("@fresh.txt", "~wb"));
  EXPECT_TRUE(g);
  EXPECT_FALSE(std::filesystem::exists(d.home("fresh.txt.~1~")));
}

TEST(DataOpen, AFailedBackupFailsTheOpenAndKeepsTheFile) {
  DataDirs d;
  std::string path = d.root("keep.txt");
  DataDirs::put(path, "precious");
  // Backup 1 looks free but leads into a missing directory, so the copy cannot be written.
  std::filesystem::create_symlink(d.root("no/such/dir/x"), path + ".~1~");
  EXPECT_FALSE(br::DataFilePtr(br::data_open(path.c_str(), "~wb")));
  EXPECT_EQ(br_test::read_file(path), "precious");
}

TEST(DataOpen, RenameResolvesDataNamesAndReplacesTheTarget) {
  DataDirs d;
  DataDirs::put(d.home("a.tmp"), "new");
  DataDirs::put(d.home("sub/a.txt"), "old");
  EXPECT_TRUE(br::data_rename("@a.tmp", "@sub/a.txt"));
  EXPECT_EQ(br_test::read_file(d.home("sub/a.txt")), "new");
  EXPECT_FALSE(br::data_rename("@a.tmp", "@b.txt"));
}

TEST(DataFileList, SortedCaseInsensitiveOnceEachWithItsHolder) {
  DataDirs d;
  DataDirs::put(d.home("Beta"), "1");
  DataDirs::put(d.game("beta"), "2");
  DataDirs::put(d.game("alpha"), "3");
  DataDirs::put(d.game("z.saf"), archive_bytes({{"gamma", "4"}, {"ALPHA", "5"}}));
  const auto& list = br::data_file_list();
  ASSERT_EQ(list.size(), 4u);
  EXPECT_EQ(list[0], "alpha");
  EXPECT_EQ(list[1], "Beta");
  EXPECT_EQ(list[2], "gamma");
  EXPECT_EQ(list[3], "z.saf");
  char line[512];
  ASSERT_TRUE(br::data_file_describe(2, line, sizeof line));
  EXPECT_EQ(std::string(line), "gamma -> " + d.game("z.saf"));
  char small[8];
  ASSERT_TRUE(br::data_file_describe(2, small, sizeof small));
  EXPECT_STREQ(small, "gamma -");
  EXPECT_FALSE(br::data_file_describe(4, line, sizeof line));
}

TEST(DataFileList, ALinkBackUpTheTreeDoesNotLoopTheWalk) {
  DataDirs d;
  DataDirs::put(d.game("dir/file"), "x");
  std::filesystem::create_directory_symlink(d.game(), d.game("dir/loop"));
  EXPECT_EQ(br::data_file_list().size(), 1u);
}

}  // namespace
