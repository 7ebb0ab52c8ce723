// The race the server runs: its track and clock, the warm-up before the first race, each
// race's announcement with the riders' places on the grid, the riders' timing records and
// standings, the final results, and the next track after the pause.
#pragma once

#include <string>

#include "server.h"

namespace brserver {

constexpr double kLateStartMargin = 5.0;  // seconds before the gate drops

// Loads the first track of the rotation (or the next that loads) and starts the warm-up.
bool race_open(Server& s, double now, std::string& error);

// Once per pass: the clock, the phase changes, and the standings every 512 steps.
void race_tick(Server& s, double now);

// Handshake steps that carry the race: the race and track (type 4), the next rider's
// description or the client's own rider (types 6 and 8), the clock (type 10).
void send_race_info(Server& s, Client& c, double now);
void send_next_rider(Server& s, Client& c, double now);
void send_clock(Server& s, Client& c, double now);

// A rider stands ready on its grid; one that set up another race is told of the current one.
void rider_ready(Server& s, Client& c, double now);
// A rider's state arrived: it still races.
void rider_heard(Server& s, Client& c, double now);
// A rider asks for the race to be run again; more than half of the field must ask.
void restart_asked(Server& s, Client& c);
// The slot is empty now: nobody is told of it again, and its timing stays in the standings.
void rider_left(Server& s, int slot);

// A timing record of the client's own rider: stored, relayed to the others, ranked.
void rider_timing_record(Server& s, Client& c, uint32_t index, int32_t step, double now);

// The operator's "restart" (the same track) and "next" (the next of the rotation): the race
// is announced again at once.
void announce_race(Server& s, double now, bool next_track);

// The standings as they stand, published for the live timing page.
void publish_standings(Server& s);

}  // namespace brserver
