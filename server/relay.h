// The race thread's own sending, once per pass: state batches every fourth step, the clock,
// grid places, lost handshake packets again, reliable messages; silent riders are let go.
#pragma once

#include "server.h"

namespace brserver {

void relay_tick(Server& s, double now);

// The rider's place on the coming grid (type 13).
void send_position(Server& s, Client& c, double now);

}  // namespace brserver
