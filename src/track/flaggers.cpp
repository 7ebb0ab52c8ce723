#include "track/flaggers.h"

#include <algorithm>
#include <cmath>

#include "track/scenery.h"
#include "track/terrain_queries.h"
#include "world/world.h"

namespace br {
namespace {

Scenery& scenery() {
  return g_world.track.scenery;
}

// A flagger's billboard: not part of the "billboards" file.
int flagger_billboard(const Float3& at, float width, float height, const std::string& picture) {
  int index = create_billboard(at[0], at[1], at[2], width, height, picture);
  scenery().billboards[size_t(index)].saved = false;
  return index;
}

void show_picture(int billboard, TextureId texture) {
  if (billboard < 0) return;
  scenery().billboards[size_t(billboard)].texture = texture;
}

}  // namespace

void create_flaggers(const FlaggersFile& file, int gate_count) {
  Scenery& s = scenery();
  if (file.has_start) {
    const StartFlaggerEntry& e = file.start;
    StartFlagger& f = s.start_flagger;
    f.present = true;
    f.billboard = flagger_billboard(e.a, e.width, e.height, e.frames[0]);
    f.a = e.a;
    f.b = e.b;
    f.walk_seconds = e.walk_seconds;
    for (size_t k = 0; k < f.frames.size(); ++k) f.frames[k] = texture_load(e.frames[k]);
  }
  if (file.has_finish) {
    const FinishFlaggerEntry& e = file.finish;
    FinishFlagger& f = s.finish_flagger;
    f.present = true;
    f.billboard = flagger_billboard(e.at, e.width, e.height, e.pictures[0]);
    for (size_t k = 0; k < f.pictures.size(); ++k) f.pictures[k] = texture_load(e.pictures[k]);
  }
  for (const CornerFlaggerEntry& e : file.corners) {
    CornerFlagger f;
    f.billboard = flagger_billboard(e.at, e.width, e.height, e.normal);
    f.normal = texture_load(e.normal);
    f.alert = texture_load(e.alert);
    for (size_t k = 0; k < 4; ++k) f.gates[k] = std::clamp(e.gates[k], -1, gate_count - 1);
    s.corner_flaggers.push_back(f);
  }
}

int finish_picture(const FlaggerRace& race) {
  if (race.leader_gates_passed < 0) return kFinishNormal;
  int p = race.leader_gates_passed, f = race.first_lap, n = std::max(race.normal_lap, 1);
  int lap = p + 1 < f ? 0 : (p + 1 - f) / n + 1;  // the lap the leader is on its way to end
  if (lap >= race.total_laps) return kFinishDone;
  if (race.total_laps == lap + 1) return kFinishLastLap;
  if (lap == race.halfway_lap) return kFinishHalfway;
  return kFinishNormal;
}

void update_flaggers(const FlaggerRace& race) {
  Scenery& s = scenery();
  StartFlagger& start = s.start_flagger;
  if (start.present && start.billboard >= 0) {
    double begin = std::floor(race.start_step * race.step_seconds);  // whole seconds
    double now = race.now_step * race.step_seconds;
    double t = std::clamp((now - (begin + 1)) / start.walk_seconds, 0.0, 1.0);
    Billboard& b = s.billboards[size_t(start.billboard)];
    b.x = static_cast<float>(start.a[0] + t * (start.b[0] - start.a[0]));
    b.z = static_cast<float>(start.a[2] + t * (start.b[2] - start.a[2]));
    b.y_above = static_cast<float>(start.a[1] + t * (start.b[1] - start.a[1]));
    b.y = terrain_height(g_world.track.terrain, b.x, b.z) + b.y_above;
    int frame = now < begin + 0.1                       ? 0
                : now < begin + 0.4                     ? 1
                : now < begin + 1                       ? 2
                : now >= begin + 1 + start.walk_seconds ? 4
                                                        : 3;
    start.frame = frame;
    show_picture(start.billboard, start.frames[size_t(frame)]);
  }
  FinishFlagger& finish = s.finish_flagger;
  if (finish.present) {
    finish.picture = finish_picture(race);
    show_picture(finish.billboard, finish.pictures[size_t(finish.picture)]);
  }
  for (CornerFlagger& c : s.corner_flaggers) {
    c.alerted = std::any_of(c.gates.begin(), c.gates.end(), [&](int g) {
      return g >= 0 && g < static_cast<int>(race.gate_alert.size()) && race.gate_alert[size_t(g)];
    });
    show_picture(c.billboard, c.alerted ? c.alert : c.normal);
  }
}

}  // namespace br
