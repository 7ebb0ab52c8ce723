// bermrider-server: one race at a time on one UDP port. Riders join (hello, client
// information, track, rider list, start), free-ride until a race is announced, race with
// their states relayed to each other 32 times a second, and their timing records relayed
// and ranked; then the next track of the rotation. Everything but the live timing page runs
// on the race thread.
#pragma once

#include <bitset>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "net/packets.h"
#include "net/reliable.h"
#include "platform/udp.h"
#include "server_config.h"
#include "standings_board.h"
#include "world/world.h"

namespace brserver {

constexpr int kSlots = 160;
constexpr int kStepsPerSecond = 128;
constexpr int kRelayEverySteps = 4;               // 32 batches a second
constexpr double kHandshakeResendSeconds = 0.25;  // when a rider's handshake packet was lost
constexpr double kClockEverySeconds = 1.0;
constexpr double kPositionEverySeconds = 0.5;
constexpr int kPositionSendsBeforeRestart = 3;
constexpr size_t kMaxOutboxMessages = 2048;  // a rider who acknowledges nothing is dropped
constexpr int kNoPosition = 160;

// Where a client is in its handshake and race.
enum class Stage {
  kWelcomed,    // has an id and key; its client information is awaited
  kTrackSent,   // the race and track went out; the track acknowledgment is awaited
  kRiders,      // rider descriptions go out one at a time
  kStarting,    // its own rider went out; it sets up the race and says it is ready
  kRacing,      // ready, or sending states
  kRestarting,  // a new race was announced to it
};

struct Upload {
  bool open = false;
  std::string bytes;
};

struct Client {
  bool used = false;
  kota::UdpAddress address;
  uint32_t key = 0;
  Stage stage = Stage::kWelcomed;
  // The race number this client knows (it only grows, and each client has its own) and
  // the server's race it stands for.
  uint32_t race = 0;
  uint32_t generation = 0;
  std::string description;  // as stored: checked and cleaned
  br::RiderIdentity identity;
  double joined = 0;          // seconds
  double last_heard = 0;      // seconds
  double last_handshake = 0;  // when the current handshake packet last went out
  double last_clock = 0;
  // The riders this client was told of, in slot order, and how far the telling has got.
  std::vector<int> to_describe;
  uint32_t described = br::kNoRiderSlot;  // highest acknowledged
  std::bitset<kSlots> known;
  // Its place on the grid of the coming or running race; kNoPosition = none (warming up).
  int position = kNoPosition;
  bool racing = false;     // has a place in the current race
  int position_sends = 0;  // type 13 packets since the place was given
  double last_position = 0;
  bool restart_pending = false;  // to be moved into the current race once told its place
  bool restart_asked = false;
  int last_place = kSlots;  // in the last race's results, for the next grid
  // Its rider's latest state and the steps it was taken at and heard at.
  bool has_state = false;
  br::WireSnapshot snapshot{};
  int32_t state_step = 0;        // the client's own step
  int32_t echo = 0;              // its latest local step, echoed back for its ping
  double last_state = -1e9;      // seconds: when its rider's latest state arrived
  uint16_t ping = 0;             // steps
  std::vector<int32_t> relayed;  // per slot: the step of the state last relayed to it
  br::ReliableOutbox outbox;
  br::ReliableInbox inbox;
  std::vector<br::TimingRecord> timing_to_relay;
  double last_chat = -1e9;
  Upload upload;
};

enum class Phase {
  kWarmup,    // free riding; the first race waits for riders
  kRacing,    // announced; the gate drops at start_step
  kFinished,  // final results; the next race after the pause
};

struct Race {
  uint32_t number = 1;
  int rotation = 0;  // index into the configured tracks
  std::string track;
  std::array<uint8_t, 20> digest{};
  int32_t duration = 0;  // steps, 0 = none
  int32_t laps = 0;
  int32_t start_step = 0;
  double epoch = 0;  // seconds at which this race's clock read 0
  Phase phase = Phase::kWarmup;
  double phase_since = 0;
  double first_ready = -1;  // when a rider first stood ready during the warm-up
  bool results_written = false;
  // Who rides this race, as they were when it was announced: the standings and results
  // name riders who have left since.
  std::vector<br::RiderIdentity> riders = std::vector<br::RiderIdentity>(kSlots);
};

struct Server {
  ServerConfig config;
  kota::UdpSocket socket;
  std::vector<Client> clients = std::vector<Client>(kSlots);
  Race race;
  std::mt19937 keys{std::random_device{}()};
  int32_t step = 0;  // the race clock, steps since the race's epoch
  int32_t last_relay_step = -1;
  bool restart_wanted = false;  // most of the field asked for the race again
  StandingsBoard board;
  // Figures for the operator: datagrams and bytes in and out since start.
  uint64_t datagrams_in = 0, datagrams_out = 0, bytes_in = 0, bytes_out = 0, refused_in = 0;
  bool stopping = false;
};

// Starts the server: the track of the first race, the socket. False with the reason in
// `error`.
bool server_open(Server& s, double now, std::string& error);

// Tells every rider the server is going and closes the socket.
void server_close(Server& s);

// One pass of the race thread at wall time `now`: everything that arrived is handled, the
// clock advances, and what is due goes out.
void server_receive(Server& s, double now);
void server_tick(Server& s, double now);

// Handles one datagram from `from` (the receive loop and the tests call it).
void server_datagram(Server& s, const kota::UdpAddress& from, std::span<const uint8_t> d,
                     double now);

// Sending, counted in the figures.
void send_packet(Server& s, const Client& c, const br::ServerPacket& p);
void send_raw(Server& s, const kota::UdpAddress& to, const br::Bytes& b);
void queue_message(Server& s, Client& c, uint8_t type, std::string payload);

// The slot of a client, and the clients by slot.
inline int slot_of(const Server& s, const Client& c) {
  return static_cast<int>(&c - s.clients.data());
}

// Drops a client: `why` goes to the log and, when `tell` is set, to the rider.
void drop_client(Server& s, Client& c, const std::string& why, bool tell);

// Chat and status lines to every rider.
void say_to_all(Server& s, const std::string& text);

// The log and the console: a time-stamped line in the log file and on standard output.
void server_log(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace brserver
