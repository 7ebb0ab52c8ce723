// The operator's console on standard input: one command a line.
//   list              the riders: slot, number, name, bike, where they are, ping, address
//   kick SLOT [WHY]   drops a rider, telling him why
//   restart           runs the race again on the same track
//   next              goes on to the next track now
//   say TEXT          a message to every rider
//   status            the race, the clock and the traffic figures
//   stop              tells the riders and ends the server
//   help              this list
#pragma once

#include <string>

#include "server.h"

namespace brserver {

// Runs one line; the answer is printed and logged.
void console_command(Server& s, const std::string& line, double now);

// Takes what waits on standard input and runs every whole line. False once the input has
// ended (the console is then left alone).
bool console_poll(Server& s, std::string& pending, double now);

}  // namespace brserver
