// The time-ordered queue of input events shared by the window, the input devices and the
// game thread. Window-side polling lives with the window; this is the queue alone.
#pragma once

#include <cstdint>

#include "platform/clock.h"

namespace kota {

constexpr int kEventQueueSize = 256;

// Event codes that are not keys or device buttons.
constexpr int32_t kEventWindowClosed = 0xDEAD;
constexpr int32_t kEventMouseLeft = 0x2000;
constexpr int32_t kEventMouseMiddle = 0x2001;
constexpr int32_t kEventMouseRight = 0x2002;
constexpr int32_t kEventKeyBase = 4096;  // + PC set-1 scan code, extended keys + 0x100

struct Event {
  int32_t code = 0;  // 31 bits
  bool pressed = false;
  ClockTime time;
};

// Queues an event in time order (a late-delivered event moves ahead of newer ones).
// A full queue drops the new event and returns false.
bool event_push(const Event& event);
// Takes the oldest event; false when the queue is empty.
bool event_pop(Event& out);
// Takes the oldest event only when its stamp is not later than `deadline`.
bool event_pop_before(Event& out, ClockTime deadline);
int event_count();
void event_clear();

}  // namespace kota
