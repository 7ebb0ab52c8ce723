// Safe rewriting: the old file stays whole until the new one is complete.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>

#include "files/data_file.h"
#include "files/files_fixture.h"

namespace {

using br_test::DataDirs;

int entries_in(const std::string& dir) {
  return static_cast<int>(std::distance(std::filesystem::directory_iterator(dir),
                                        std::filesystem::directory_iterator()));
}

TEST(ReplaceFile, TheOldFileStaysUntilTheNewOneIsClosed) {
  DataDirs d;
  DataDirs::put(d.home("results.txt"), "old results");
  ::chmod(d.home("results.txt").c_str(), 0600);

  br::DataFile* f = br::data_open_replace("@results.txt");
  ASSERT_TRUE(f);
  br::data_puts(f, "new results");
  EXPECT_EQ(br_test::read_file(d.home("results.txt")), "old results");
  EXPECT_TRUE(br::data_close(f));
  EXPECT_EQ(br_test::read_file(d.home("results.txt")), "new results");
  struct stat st;
  ASSERT_EQ(::stat(d.home("results.txt").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_EQ(entries_in(d.home()), 1);  // no temporary file left behind

  // Abandoned: the old file stays and the new bytes go.
  f = br::data_open_replace("@results.txt");
  ASSERT_TRUE(f);
  br::data_puts(f, "half a file");
  br::data_abandon(f);
  EXPECT_EQ(br_test::read_file(d.home("results.txt")), "new results");
  EXPECT_EQ(entries_in(d.home()), 1);

  // Whole files in one call, with their folders made and an optional numbered backup.
  EXPECT_TRUE(br::data_replace_file("@demos/run.brdemo", "first"));
  EXPECT_TRUE(br::data_replace_file("@demos/run.brdemo", "second", br::DataBackup::kNumbered));
  EXPECT_EQ(br_test::read_file(d.home("demos/run.brdemo")), "second");
  EXPECT_EQ(br_test::read_file(d.home("demos/run.brdemo.~1~")), "first");
}

TEST(ReplaceFile, AKilledOrFailingWriterLeavesTheOldFile) {
  DataDirs d;
  std::string path = d.home("standings");
  DataDirs::put(path, "kept");
  std::string big(4096, 'x');

  // Killed mid-write, before the close: the target is untouched.
  pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    br::DataFile* f = br::data_open_replace(path.c_str());
    if (!f) _exit(2);
    br::data_write(f, big.data(), big.size());
    br::data_flush(f);
    _exit(0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(br_test::read_file(path), "kept");

  // A disk that fills up mid-write (files may not grow past 100 bytes): the close reports it.
  pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    rlimit limit{100, 100};
    setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, SIG_IGN);
    _exit(br::data_replace_file(path.c_str(), big) ? 0 : 3);
  }
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  EXPECT_EQ(WEXITSTATUS(status), 3);
  EXPECT_EQ(br_test::read_file(path), "kept");
}

}  // namespace
