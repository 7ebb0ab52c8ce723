// The robots the race fields: a fixed roster of 80 riders numbered 20 to 99, each with a riding
// style, a bike model and optional textures, dealt out in a shuffled order per session.
#pragma once

#include <array>
#include <string>

namespace br {

constexpr int kRosterSize = 80;
constexpr int kFirstRobotNumber = 20;

struct RosterEntry {
  std::string number;       // the plate text, "20" .. "99"
  std::string personality;  // riding style by name
  std::string bike_model;   // before the model aliases
  // Empty: the model's own texture.
  std::string rider_texture, head_texture, bike_texture, wheel_texture;
};

// Row i is robot number 20 + i.
const std::array<RosterEntry, kRosterSize>& robot_roster();

// The order robots are dealt in for one session, and how far the dealing has got.
struct RosterDeal {
  std::array<int, kRosterSize> order{};  // roster rows
  int next = 0;                          // the next unused place in `order`
};

// Seeds the shared generator with `seed` (the frame counter) and shuffles 0..79: from the last
// place down to the second, each place swaps with one drawn below it.
RosterDeal shuffle_roster(uint32_t seed);

// Brings the matching unused entry into the next unused place and returns that place's row;
// the search runs from the end of the order back toward the next unused place. With no match
// the plain next entry is taken. The deal advances past the row at once, whether or not its
// robot's bike can be built, so a row is never dealt twice. -1 when the roster is used up.
int deal_any(RosterDeal& deal);
int deal_model(RosterDeal& deal, const std::string& model_part);  // bike model containing it
int deal_number(RosterDeal& deal, int number);                    // plate number n

}  // namespace br
