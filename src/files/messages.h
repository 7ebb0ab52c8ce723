// The on-screen message area: a ring of the latest lines, of which the newest few are shown
// until they expire. The shown count and the expiry time live in the world record.
#pragma once

#include "world/world.h"

namespace br {

constexpr int kMessageRingLines = 1000;
constexpr int kMessageLineChars = 127;
constexpr double kMessageFirstExpiry = 2.0;  // seconds after a new line
constexpr double kMessageNextExpiry = 5.0;   // seconds between later expiries

// Empties the ring and hides every line.
void message_area_clear(World& w);

// The most lines shown at once (the `message_lines` setting, 5 until configured).
void set_message_lines(int lines);
int message_lines();

// Logs the formatted text and adds it to the ring as the newest shown line.
void show_message(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The shown line `n` places older than the newest (0 = newest); "" past the ring.
const char* message_line(int n);

// Once per frame: after the expiry time one fewer line is shown, the next going 5 s later.
void expire_messages(World& w);

}  // namespace br
