// The server of server_fixture.h with its live timing page on a free port of 127.0.0.1, and
// the steps of a race: riders set up on the grid, their timing records, riding on.
#pragma once

#include <httplib.h>

#include <memory>
#include <nlohmann/json.hpp>
#include <utility>

#include "http_server.h"
#include "race/laps.h"
#include "server_fixture.h"

namespace br_test {

class LiveTimingTest : public ServerTest {
 protected:
  void SetUp() override {
    ServerTest::SetUp();
    s_.config.laps = 1;
    s_.config.start_delay = 1;
  }
  void TearDown() override {
    live_.stop();
    ServerTest::TearDown();
  }

  void open_with_page() {
    open();
    brserver::LiveTimingSetup setup;
    setup.results_dir = home_.path().string() + "/Bermrider/results/";
    std::string error;
    ASSERT_TRUE(live_.start(setup, error)) << error;
    http_ = std::make_unique<httplib::Client>("127.0.0.1", live_.port());
  }

  nlohmann::json get(const std::string& path) {
    httplib::Result r = http_->Get(path.c_str());
    EXPECT_TRUE(r) << path;
    if (!r) return nlohmann::json();
    EXPECT_EQ(r->status, 200) << path;
    return nlohmann::json::parse(r->body, nullptr, false);
  }

  // The riders joined, through the warm-up, set up in the announced race.
  void start_race(const std::vector<std::pair<RawRider*, std::string>>& riders) {
    for (const auto& [r, name] : riders) set_up(*r, name);
    race_ = 0;
    for (int i = 0; i < 800 && race_ == 0; ++i) {
      pass();
      if (auto next = find(riders.front().first->received(), br::kPacketNewRace)) {
        race_ = next->race;
      }
    }
    ASSERT_NE(race_, 0u);
    for (const auto& [r, name] : riders) {
      r->race = race_;
      r->send(r->packet(br::kPacketRestartAck));
      pass();
      ASSERT_TRUE(find(r->received(), br::kPacketRaceInfo));
      std::vector<uint32_t> described;
      take_riders(*r, described);
    }
  }

  void record(RawRider& r, uint32_t& seq, int index, int32_t step) {
    br::ClientPacket m = r.packet(br::kPacketReliable);
    m.sequence = seq++;
    m.message = br::kMessageTiming;
    m.text = br::write_own_timing(race_, static_cast<uint32_t>(index), step);
    r.send(m);
  }

  void ride(std::initializer_list<RawRider*> riders, int passes) {
    for (int k = 0; k < passes; ++k) {
      for (RawRider* r : riders) send_state(*r, static_cast<uint32_t>(s_.step));
      pass(4.0 / 128);
    }
  }

  int last_position() const {
    br::LapShape shape = br::lap_shape(br::g_world.track.timing);
    return static_cast<int>(br::lap_end_position(shape, 1));
  }

  brserver::LiveTiming live_{s_.board};
  std::unique_ptr<httplib::Client> http_;
  uint32_t race_ = 0;
};

}  // namespace br_test
