// What the console's chat line and its "sendfile" command ask of the connection. Chat and
// status lines from the server need nothing from the console: each one reaches the message
// area through show_message() as it arrives (and the demo being recorded, if any).
#pragma once

#include <string>

#include "world/world.h"

namespace br {

constexpr double kChatSpamSeconds = 2.0;  // world time between two chat lines at least
constexpr const char* kOutgoingFolder = "@outgoing/";
constexpr size_t kMaxOutgoingName = 1023;  // "@outgoing/" + name, in characters

// A chat line for the server, at most 466 bytes of it. False when refused (too soon after
// the previous one, or offline); the player is told why.
bool chat_line(World& w, const std::string& text);

// "sendfile NAME": offers "@outgoing/NAME" to the server; its parts follow once the server
// is ready for them. False when the file can't be sent; the player is told why.
bool send_file(World& w, const std::string& name);

}  // namespace br
