// What the client's files share among themselves; not for the rest of the game.
#pragma once

#include <string>

#include "net/packets.h"
#include "world/world.h"

namespace br {

// A packet of `type` from this client: its id and key, and the race where one is carried.
ClientPacket client_packet(const World& w, uint8_t type);

// Sends a packet to the server; a refusal by the system is shown as "sendto error (...)".
bool send_to_server(World& w, const ClientPacket& p);

// Queues a reliable message to the server.
void queue_to_server(World& w, uint8_t type, std::string payload);

// Handles one packet that came from the server's address.
void handle_server_packet(World& w, const ServerPacket& p, double now);

// Handles one reliable message from the server, in order.
void handle_server_message(World& w, uint8_t type, const std::string& payload);

// Racing, each step: the client-info change and the own timing records, as reliable messages.
void queue_racing_messages(World& w);

// The own rider's state for this step (false when there is none to send), and a received
// one put into the slot's history.
bool pack_own_state(World& w, WireSnapshot& out);
void store_received_state(World& w, int slot, const WireSnapshot& s, int32_t step);
// Every slot's history emptied, for a new race.
void clear_received_states(World& w);
// A chat or status line from the server goes into the demo being recorded.
void note_server_text(World& w, const std::string& text);

// File uploads: the next part when due.
void upload_service(World& w, double now);
void upload_command(World& w, const std::string& command);

}  // namespace br
