// The game's side of a server race: connecting, the handshake (hello, client information,
// track, rider list, start), then racing with the own rider's state sent 32 times a second
// and the others' states received into their histories; reliable messages carry chat,
// timing, commands and file uploads. Everything runs on the main thread between steps.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "world/world.h"

namespace br {

constexpr double kPeriodicSendSeconds = 1.0;
constexpr int kStateSendEverySteps = 4;
constexpr int kLeavingSendsMax = 3;  // disconnects sent before giving up on an answer

// "host" or "host:port" (the text after the last ":"); without a port, 19800. Nothing when
// the port is not a number from 1 to 65535.
struct ServerAddress {
  std::string host;
  uint16_t port = kDefaultServerPort;
};
std::optional<ServerAddress> split_server_address(const std::string& text);

// Starts a connection: resolves the address, opens the socket and says hello. On failure the
// player is told why and nothing is left open. A connection already open is dropped first.
bool net_connect(World& w, const std::string& address, const std::string& password);

// The player leaves (menu, or a demo chosen): during the handshake or the race the client
// says goodbye until the server answers; a client already leaving stops at once.
void net_disconnect(World& w);

// At the program's end: one goodbye, then everything closed.
void net_shutdown(World& w);

// Closes the socket and forgets the connection, keeping only the knockout table.
void net_reset(World& w);

// Once per simulation step: takes in what has arrived (through the bad network when asked
// for), sends what is due. `now` is wall time in seconds.
void net_service(World& w, double now);

// The server menu's "restart" during a race. False when not racing.
bool net_request_restart(World& w);

// The race length as entering the race shows it: "%d laps", "%d minutes" or both.
std::string race_length_text(int32_t duration_steps, int laps);

// The rider this client rides, as the server is told of it.
RiderIdentity own_identity(const World& w);

}  // namespace br
