#include "replay/history.h"

#include "files/messages.h"

namespace br {
namespace {

int wrap(int i) {
  return (i % kHistoryEntries + kHistoryEntries) % kHistoryEntries;
}

}  // namespace

void reset_histories(World& w) {
  for (StateHistory& h : w.replay.histories) h = StateHistory{};
}

int history_index(const StateHistory& h, int back) {
  return wrap(h.newest - back);
}

void add_state_to_history(World& w, int slot, const Snapshot& s, int32_t time) {
  if (slot < 0 || slot >= static_cast<int>(w.replay.histories.size())) {
    show_message("add_state_to_history: slot out of range");
    return;
  }
  StateHistory& h = w.replay.histories[static_cast<size_t>(slot)];
  int i = h.newest;
  int walked = 0;
  while (walked < kHistoryEntries && h.times[static_cast<size_t>(i)] > time) {
    i = wrap(i - 1);
    ++walked;
  }
  if (h.times[static_cast<size_t>(i)] == time) return;
  // Everything from this step on is superseded: a late snapshot restarts the story there.
  int at = wrap(i + 1);
  for (int k = 1; k < walked; ++k) h.times[static_cast<size_t>(wrap(at + k))] = kEmptyEntry;
  h.states[static_cast<size_t>(at)] = s;
  h.times[static_cast<size_t>(at)] = time;
  h.newest = at;
  if (h.pending < kHistoryEntries) ++h.pending;
}

HistoryBracket bracket_history(const StateHistory& h, int32_t time) {
  HistoryBracket b;
  auto empty = [&](int i) { return h.times[static_cast<size_t>(i)] == kEmptyEntry; };
  int f = h.newest;
  int steps = 0;
  while (steps < kHistoryEntries && h.times[static_cast<size_t>(f)] >= time) {
    f = wrap(f - 1);
    ++steps;
  }
  if (steps == 0) {
    // Even the newest entry is older than the step: carry on from the last two.
    if (empty(h.newest)) return b;
    b.next = h.newest;
    int before = wrap(h.newest - 1);
    b.previous = empty(before) ? h.newest : before;
  } else if (steps == kHistoryEntries || empty(f)) {
    // The step lies at or before the oldest entry.
    b.previous = wrap(f + 1);
    b.next = steps == 1 ? b.previous : wrap(b.previous + 1);
  } else {
    b.previous = f;
    b.next = wrap(f + 1);
  }
  b.found = true;
  return b;
}

}  // namespace br
