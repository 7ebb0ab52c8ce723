#include "platform/event_queue.h"

#include <array>
#include <mutex>

namespace kota {
namespace {

struct Queue {
  std::mutex mutex;
  std::array<Event, kEventQueueSize> ring;
  int head = 0;  // oldest
  int count = 0;
};

Queue& queue() {
  static Queue q;
  return q;
}

int slot(const Queue& q, int i) { return (q.head + i) % kEventQueueSize; }

}  // namespace

bool event_push(const Event& event) {
  Queue& q = queue();
  std::lock_guard lock(q.mutex);
  if (q.count == kEventQueueSize) return false;
  int i = q.count++;
  q.ring[slot(q, i)] = event;
  while (i > 0 && clock_before(q.ring[slot(q, i)].time, q.ring[slot(q, i - 1)].time)) {
    std::swap(q.ring[slot(q, i)], q.ring[slot(q, i - 1)]);
    --i;
  }
  return true;
}

bool event_pop(Event& out) {
  Queue& q = queue();
  std::lock_guard lock(q.mutex);
  if (q.count == 0) return false;
  out = q.ring[q.head];
  q.head = (q.head + 1) % kEventQueueSize;
  --q.count;
  return true;
}

bool event_pop_before(Event& out, ClockTime deadline) {
  Queue& q = queue();
  std::lock_guard lock(q.mutex);
  if (q.count == 0 || clock_before(deadline, q.ring[q.head].time)) return false;
  out = q.ring[q.head];
  q.head = (q.head + 1) % kEventQueueSize;
  --q.count;
  return true;
}

int event_count() {
  Queue& q = queue();
  std::lock_guard lock(q.mutex);
  return q.count;
}

void event_clear() {
  Queue& q = queue();
  std::lock_guard lock(q.mutex);
  q.head = 0;
  q.count = 0;
}

}  // namespace kota
