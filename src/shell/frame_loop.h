// The frame loop's timing and its step loop: how much world time a frame simulates, and the
// fixed steps of 1/128 s that consume input events up to each step's deadline. Drawing and
// presenting belong to the game's main loop; this part needs no window.
#pragma once

#include <functional>

#include "platform/event_queue.h"
#include "world/world.h"

namespace br {

// Where the loop reads time and sleeps. Tests give it a fake clock.
struct LoopClock {
  std::function<double()> now;        // seconds
  std::function<void(double)> sleep;  // seconds
};
LoopClock system_loop_clock();

// Where the step loop takes events: the oldest one, or only one stamped not later than
// the deadline when `deadline` is given.
using EventSource = std::function<bool(kota::Event&, const kota::ClockTime* deadline)>;
EventSource queue_event_source();

// Frame-time histogram bin of an elapsed wall time: the smallest n in 0..6 with
// elapsed < step x 2^n, else 7.
int frame_histogram_bin(double elapsed, double step);

// The advance of a connected client scaled to keep its frame counter just behind the server's.
double network_adjusted_advance(double advance, int32_t server_frame, int32_t frame,
                                int32_t race_start_frame, double step);

// Measures the frame, chooses its advance (sleeping when ahead) and grows the target and
// world times by it. Returns the measurement time in seconds.
double frame_advance(World& w, const LoopClock& clock);

// Runs world steps until the simulated time reaches the target: per step the channels are
// rebuilt from events and bindings, controls are applied and the world ticks.
void step_loop(World& w, double now, const EventSource& events);

// Handles one input event as the step loop does.
void handle_event(World& w, const kota::Event& e);

// Moves the view to the rider before (-1) or after (+1) the viewed one in the running order;
// a local rider keeps the view unless spying is allowed.
void change_viewed_rider(World& w, int direction);

// Rebuilds the nine control channels from the binding rows.
void update_channels(World& w);

// Clutch engagement from the lever channel: pulling disengages at once, releasing engages at
// most 4 per second from the bike's current value.
float clutch_engagement(float lever, float current, double step);

// Sets the bike's controls from this step's channels, as the viewed local rider asks.
void apply_controls(World& w, Bike& bike);

// The sit/dab value to apply: with the sticky option a rising edge of the channel toggles a
// latched value, otherwise the channel itself.
float sit_dab_value(World& w, bool sticky);

}  // namespace br
