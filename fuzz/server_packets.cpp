// What the game reads from a server: one datagram as a server packet, the payloads its
// reliable messages carry, and the rider descriptions it relays. A packet that reads must
// write back to bytes that read to the same packet.
#include <cstdlib>

#include "fuzz_support.h"
#include "net/description.h"
#include "net/packets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::optional<br::ServerPacket> p = br::read_server_packet({data, size});
  if (!p) return 0;
  br::Bytes once = br::write_server_packet(*p);
  std::optional<br::ServerPacket> again = br::read_server_packet(once);
  if (!again || br::write_server_packet(*again) != once) std::abort();

  switch (p->type) {
    case br::kPacketRiderDescription:
    case br::kPacketYourRider:
      if (auto rider = br::parse_description(p->text)) br::description_text(*rider);
      break;
    case br::kPacketRefused:
      br::printable_text(p->text, 200);
      break;
    case br::kPacketReliable: {
      uint32_t race = 0;
      if (p->message == br::kMessageTiming) {
        auto records = br::read_timing_records(p->text, race);
        if (records && records->size() > size / br::kTimingRecordBytes) std::abort();
      } else if (p->message == br::kMessageClientInfo) {
        if (auto rider = br::parse_description(p->text)) br::description_text(*rider);
      } else {
        br::printable_text(p->text, br::kMaxReliablePayload);
      }
      break;
    }
    default:
      break;
  }
  return 0;
}
