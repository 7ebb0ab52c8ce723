// Where a bike's wheels pushed on the ground, kept until the bike has moved on and the dirt
// can be moved without the wheel sitting in the hole it digs. A fixed ring, so riding never
// allocates.
#pragma once

#include <array>

namespace br {

constexpr int kWheelMarks = 1024;

struct WheelMark {
  float x = 0, z = 0;    // the contact point, feet
  float fx = 0, fz = 0;  // the horizontal contact force on the wheel, weighted by speed, lb
};

// One slot always stays empty, so a full ring holds kWheelMarks - 1 marks.
struct MarkRing {
  std::array<WheelMark, kWheelMarks> marks{};
  int head = 0;  // next write
  int tail = 0;  // next read

  bool empty() const { return head == tail; }
  bool full() const { return (head + 1) % kWheelMarks == tail; }
  int size() const { return (head - tail + kWheelMarks) % kWheelMarks; }
  const WheelMark& oldest() const { return marks[static_cast<size_t>(tail)]; }
  // False, and nothing kept, when full.
  bool push(const WheelMark& m) {
    if (full()) return false;
    marks[static_cast<size_t>(head)] = m;
    head = (head + 1) % kWheelMarks;
    return true;
  }
  void pop() {
    if (!empty()) tail = (tail + 1) % kWheelMarks;
  }
  void clear() { head = tail = 0; }
};

}  // namespace br
