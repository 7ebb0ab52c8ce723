// Reliable messages from a rider, in order: a changed rider, chat, timing records, file
// uploads.
#pragma once

#include "net/reliable.h"
#include "server.h"

namespace brserver {

void handle_client_message(Server& s, Client& c, const br::ReliableMessage& m, double now);

}  // namespace brserver
