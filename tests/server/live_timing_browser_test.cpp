// A real browser on the live timing page during a race on 127.0.0.1: headless Chromium loads
// the page, the running order changes while it is open, and the page it renders shows the
// new order, with a rider's markup name as plain text. Its screenshot is left in the build
// tree. Without Chromium the test is skipped (exit status 77).
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <regex>
#include <thread>

#include "live_timing_fixture.h"

extern char** environ;

namespace br_test {
namespace {

constexpr int kSkipped = 77;

std::string chromium_program() {
  if (const char* given = std::getenv("BR_CHROMIUM")) return given;
  for (const char* p : {"/usr/bin/chromium", "/usr/bin/chromium-browser"}) {
    if (access(p, X_OK) == 0) return p;
  }
  return "";
}

// The names in the running order's table, top to bottom, as the browser serialised them.
std::vector<std::string> order_names(const std::string& dom) {
  std::vector<std::string> names;
  size_t from = dom.find("id=\"order\"");
  size_t to = dom.find("id=\"history\"");
  if (from == std::string::npos || to == std::string::npos) return names;
  std::string table = dom.substr(from, to - from);
  static const std::regex kName(R"(<td class="name">([^<]*)</td>)");
  for (std::sregex_iterator it(table.begin(), table.end(), kName), end; it != end; ++it) {
    names.push_back((*it)[1].str());
  }
  return names;
}

class LiveTimingBrowserTest : public LiveTimingTest {
 protected:
  // Starts Chromium on the page with `what` ("--dump-dom" or "--screenshot=FILE") for
  // `budget_ms` of the page's time; its standard output goes to `out`.
  pid_t browse(const std::string& what, int budget_ms, const std::string& out) {
    std::string url = "http://127.0.0.1:" + std::to_string(live_.port()) + "/";
    std::vector<std::string> args = {chromium_program(),
                                      "--headless",
                                      "--no-sandbox",  // CI runs as root
                                      "--disable-gpu",
                                      "--no-first-run",
                                      "--user-data-dir=" + profile_.path().string(),
                                      "--window-size=1100,640",
                                      "--virtual-time-budget=" + std::to_string(budget_ms),
                                      what,
                                      url};
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, STDOUT_FILENO, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_addopen(&files, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&files, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    pid_t pid = -1;
    int failed = posix_spawn(&pid, argv[0], &files, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&files);
    EXPECT_EQ(failed, 0) << "can't start " << argv[0];
    return failed ? -1 : pid;
  }

  // Rides on in real time until the browser is done; `during` runs before every pass.
  // False when it had to be stopped.
  template <class Step>
  bool ride_while(pid_t browser, Step during) {
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (std::chrono::steady_clock::now() < until) {
      int status = 0;
      if (waitpid(browser, &status, WNOHANG) == browser) return WIFEXITED(status);
      during();
      for (RawRider* r : riding_) send_state(*r, static_cast<uint32_t>(s_.step));
      pass(4.0 / 128);
      std::this_thread::sleep_for(std::chrono::milliseconds(31));
    }
    kill(browser, SIGKILL);
    waitpid(browser, nullptr, 0);
    return false;
  }

  TempDir profile_;
  std::vector<RawRider*> riding_;
};

TEST_F(LiveTimingBrowserTest, ThePageShowsTheRunningOrderAsItChangesAndNamesAsText) {
  s_.config.laps = 3;
  open_with_page();
  // A past race, for the page's history.
  std::filesystem::create_directories(home_.path() / "Bermrider/results");
  write_file(home_.file("Bermrider/results/race00001.txt"),
             "Race=1|Time=0.00|Laps=3|Track=rabbithill|Date=1796729400\r\n"
             " No. |         Bike | Laps | Total Time | Name\r\n"
             "  12 |        cr125 |    3 |   4:02.117 | Cleo\r\n"
             "   4 |        yz250 |    2 |        DNF | Dario\r\n");
  const std::string markup = "<script>alert(1)</script>";
  RawRider a(port()), b(port()), c(port());
  start_race({{&a, "Anna"}, {&b, "Bert"}, {&c, markup}});
  riding_ = {&a, &b, &c};
  ride({&a, &b, &c}, 48);  // past the gate drop
  std::array<uint32_t, 3> seq{};
  int32_t start = s_.race.start_step;
  for (int g = 0; g < 4; ++g) {
    record(a, seq[0], g, start + 300 * (g + 1));
    record(b, seq[1], g, start + 300 * (g + 1) + 40);
    record(c, seq[2], g, start + 300 * (g + 1) + 90);
  }
  ride({&a, &b, &c}, 4);
  ASSERT_EQ(s_.board.read().rows.front().name, "Anna");

  // Once the page has shown the order a few times, Bert passes Anna.
  std::string dom_file = profile_.file("dom.html");
  pid_t browser = browse("--dump-dom", 6000, dom_file);
  ASSERT_GT(browser, 0);
  uint64_t seen_before_pass = 0;
  bool passed = false;
  ASSERT_TRUE(ride_while(browser, [&] {
    if (passed || live_.requests() < 6) return;  // the page, its script and style, 3 polls
    seen_before_pass = live_.requests();
    for (int g = 4; g < 7; ++g) record(b, seq[1], g, start + 1240 + 100 * (g - 3));
    passed = true;
  })) << "the browser did not finish";
  ASSERT_TRUE(passed) << "the page asked the server nothing";
  EXPECT_GT(live_.requests(), seen_before_pass) << "the page stopped asking";
  ASSERT_EQ(s_.board.read().rows.front().name, "Bert");

  std::string dom = read_file(dom_file);
  std::vector<std::string> names = order_names(dom);
  EXPECT_EQ(names, (std::vector<std::string>{"Bert", "Anna",
                                             "&lt;script&gt;alert(1)&lt;/script&gt;"}))
      << dom;
  // The name is text: no script element of the rider's made it into the page.
  EXPECT_EQ(dom.find(markup), std::string::npos);
  EXPECT_NE(dom.find("Cleo"), std::string::npos) << "no past race";
  EXPECT_NE(dom.find("rabbithill"), std::string::npos);

  // What the page looks like, for anyone reading the test's output.
  std::string picture = std::string(BR_SCREENSHOT_DIR) + "/live_timing.png";
  std::filesystem::remove(picture);
  browser = browse("--screenshot=" + picture, 1500, profile_.file("screenshot.log"));
  ASSERT_GT(browser, 0);
  ASSERT_TRUE(ride_while(browser, [] {}));
  EXPECT_GT(std::filesystem::file_size(picture), 10000u);
  std::printf("Screenshot of the live timing page: %s\n", picture.c_str());
}

}  // namespace
}  // namespace br_test

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  if (br_test::chromium_program().empty()) {
    std::puts("No Chromium here: the browser test is skipped");
    return br_test::kSkipped;
  }
  return RUN_ALL_TESTS();
}
