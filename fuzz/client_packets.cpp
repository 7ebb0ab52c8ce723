// What a server reads from a client, one datagram at a time: the packet, the description a
// client information packet carries and the own timing record of a reliable message. A
// packet that reads must write back to the same bytes.
#include <cstdlib>

#include "fuzz_support.h"
#include "net/description.h"
#include "net/packets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::optional<br::ClientPacket> p = br::read_client_packet({data, size});
  if (!p) return 0;
  br::Bytes once = br::write_client_packet(*p);
  std::optional<br::ClientPacket> again = br::read_client_packet(once);
  if (!again || br::write_client_packet(*again) != once) std::abort();

  if (p->type == br::kPacketClientInfo) {
    if (auto rider = br::parse_description(p->text)) {
      // What the server keeps must be a description it would take again.
      if (!br::parse_description(br::description_text(*rider))) std::abort();
    }
  } else if (p->type == br::kPacketReliable) {
    uint32_t race = 0;
    if (p->message == br::kMessageTiming) br::read_own_timing(p->text, race);
    if (p->message == br::kMessageClientInfo) br::parse_description(p->text);
    br::upload_name_allowed(p->text);
  }
  return 0;
}
