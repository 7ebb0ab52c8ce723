#include "race/robot_roster.h"

#include <cstdio>

#include "platform/log.h"
#include "world/world.h"

namespace br {
namespace {

struct ModelRun {
  int first, last;  // robot numbers
  const char* model;
  const char* personality;
};

constexpr ModelRun kRuns[] = {
    {20, 24, "kx125", "rider_bravo"},           {25, 29, "yz125", "rider_bravo"},
    {30, 34, "cr125", "rider_bravo"},           {35, 39, "rm125", "rider_bravo"},
    {40, 44, "crf250", "rider_alpha"},          {45, 49, "kx250f", "rider_alpha"},
    {50, 53, "rmz250", "rider_alpha"},          {54, 58, "yz250f", "rider_alpha"},
    {59, 59, "yz250f_se(2006)", "rider_alpha"}, {60, 64, "crf250", "rider_bravo"},
    {65, 69, "kx250f", "rider_bravo"},          {70, 74, "rmz250", "rider_bravo"},
    {75, 78, "yz250f", "rider_bravo"},          {79, 79, "yz250f_se(2006)", "rider_bravo"},
    {80, 84, "crf250", "rider_charlie"},        {85, 89, "kx250f", "rider_charlie"},
    {90, 94, "yz250f", "rider_charlie"},        {95, 99, "rmz250", "rider_charlie"},
};

std::string alt(const std::string& prefix, int n) {
  return "@" + prefix + "-alt" + std::to_string(n) + ".png";
}

// The texture prefix of a model: its name before any year in brackets.
std::string texture_prefix(const std::string& model) {
  return model.substr(0, model.find('('));
}

std::array<RosterEntry, kRosterSize> make_roster() {
  std::array<RosterEntry, kRosterSize> roster;
  for (const ModelRun& run : kRuns) {
    for (int n = run.first; n <= run.last; ++n) {
      RosterEntry& e = roster[static_cast<size_t>(n - kFirstRobotNumber)];
      e.number = std::to_string(n);
      e.personality = run.personality;
      e.bike_model = run.model;
      // Gear varies so that a full grid does not look cloned; every third rider keeps the
      // stock kit.
      if (n % 3 != 0) e.rider_texture = alt("rider_body", 1 + n % 3);
      if (n % 4 != 0) e.head_texture = alt("rider_head", 1 + (n / 4) % 3);
      std::string prefix = texture_prefix(e.bike_model);
      if (n >= 80) {
        // The fast robots all carry team graphics, alternating.
        e.bike_texture = alt(prefix, 1 + n % 2);
        e.wheel_texture = alt("wheels", 1 + n % 2);
      } else {
        if (n % 3 != 1) e.bike_texture = alt(prefix, 1 + (n / 3) % 2);
        if (n % 5 == 2 || n % 5 == 4) e.wheel_texture = alt("wheels", n % 5 == 2 ? 1 : 2);
      }
    }
  }
  return roster;
}

// The backward search shared by the model and number deals.
template <typename Match>
int deal_matching(RosterDeal& deal, Match match) {
  if (deal.next >= kRosterSize) return -1;
  const auto& roster = robot_roster();
  for (int i = kRosterSize - 1; i >= deal.next; --i) {
    if (match(roster[static_cast<size_t>(deal.order[static_cast<size_t>(i)])])) {
      std::swap(deal.order[static_cast<size_t>(i)], deal.order[static_cast<size_t>(deal.next)]);
      break;
    }
  }
  return deal.order[static_cast<size_t>(deal.next++)];
}

}  // namespace

const std::array<RosterEntry, kRosterSize>& robot_roster() {
  static const std::array<RosterEntry, kRosterSize> roster = make_roster();
  return roster;
}

RosterDeal shuffle_roster(uint32_t seed) {
  RosterDeal deal;
  random_seed(seed);
  for (int i = 0; i < kRosterSize; ++i) deal.order[static_cast<size_t>(i)] = i;
  for (int j = kRosterSize - 1; j >= 1; --j) {
    uint32_t r = static_cast<uint32_t>(g_world.rng());
    std::swap(deal.order[static_cast<size_t>(j)],
              deal.order[static_cast<size_t>((r >> 16) % static_cast<uint32_t>(j))]);
  }
  return deal;
}

int deal_any(RosterDeal& deal) {
  return deal.next < kRosterSize ? deal.order[static_cast<size_t>(deal.next++)] : -1;
}

int deal_model(RosterDeal& deal, const std::string& model_part) {
  return deal_matching(deal, [&](const RosterEntry& e) {
    return e.bike_model.find(model_part) != std::string::npos;
  });
}

int deal_number(RosterDeal& deal, int number) {
  char text[16];
  std::snprintf(text, sizeof text, "%d", number);
  return deal_matching(deal, [&](const RosterEntry& e) { return e.number == text; });
}

}  // namespace br
