// The connection to a game server, one per process: what the client knows of the server,
// of its own place in the server's race and of the other riders. The operations live in
// src/net/.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "files/data_file.h"
#include "net/bad_network.h"
#include "net/protocol.h"
#include "net/reliable.h"
#include "platform/udp.h"

namespace br {

// Client states; the periodic send of each is in net/client.cpp.
enum NetClientState {
  kNetContacting = 0,
  kNetSendingInfo = 3,
  kNetTrackKnown = 5,
  kNetReceivingRiders = 7,
  kNetWaitingForClock = 9,
  kNetRacing = 11,
  kNetNewRace = 14,
  kNetLeaving = 15,
};

// Remote riders leave the contacts and the picture when far behind on a section: slower than
// the leader's time for it by this factor plus this grace. The server may change both.
constexpr double kOffCourseBias = 10.0;  // seconds
constexpr double kOffCourseScale = 1.5;

// A file going to the server in parts ("sendfile").
struct FileUpload {
  DataFilePtr file;  // none while nothing is being sent
  std::string name;                // as the server will store it
  bool ready = false;              // the server said "sendready"
  double last_part = 0;            // seconds
};

struct NetState {
  kota::UdpSocket socket;
  kota::UdpAddress server;
  std::string password;
  NetClientState state = kNetContacting;
  uint32_t id = kNoClientId;
  uint32_t key = 0;
  uint32_t race = 0;
  uint32_t race_slot = kNoRiderSlot;  // this client's rider, kNoRiderSlot = spectating
  double last_periodic = -1e9;         // seconds; when the state's packet last went out
  int leaving_sends = 0;               // disconnect packets sent without an answer
  bool clock_set = false;              // the frame counter follows the server's since state 9
  int32_t latest_server_step = 0;
  int32_t ping = 0;                       // steps
  uint32_t highest_rider = kNoRiderSlot;  // highest description acknowledged
  std::array<uint16_t, kNetSlots> rider_ping{};  // steps, as the server reports them
  std::array<int, kNetSlots> lineup{};           // the server's line-up codes
  ReliableOutbox outbox;
  ReliableInbox inbox;

  // The server's race: its track, digest, length and start.
  std::string track;
  std::array<uint8_t, 20> digest{};
  int32_t duration = 0;  // steps
  int32_t laps = 0;
  int32_t start_step = 0;

  double off_course_bias = kOffCourseBias;
  double off_course_scale = kOffCourseScale;
  bool no_arcade = false;     // the server does not allow arcade physics

  std::string sent_description;  // the local rider as the server last heard it
  int timing_sent = 0;           // own timing records told to the server
  double last_chat = -1e9;       // world time of the last chat line
  FileUpload upload;
  BadNetwork bad;
};

}  // namespace br
