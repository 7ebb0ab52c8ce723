// Seeds for the fuzz targets whose inputs are not single files of the default data set: the
// data set's files packed into archives, compressed and scrambled, or prefixed with the byte
// that picks a target's format. Run by the build as
//   compose_seeds <data set directory> <output directory>
// and writes <output>/<target>/<seed> files. Everything comes from the data set or from the
// game's own writers, so the seeds change when the formats do.
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <sstream>
#include <string>
#include <vector>

#include "audio/sound_table_format.h"
#include "files/archive_format.h"
#include "files/data_file.h"
#include "files/little_endian.h"
#include "files/scramble.h"
#include "net/description.h"
#include "net/packets.h"
#include "race/series_format.h"
#include "replay/demo_format.h"
#include "robot/line_file.h"
#include "shell/config_file.h"
#include "track/scenery_format.h"
#include "track/terrain_format.h"
#include "world/world.h"

namespace fs = std::filesystem;

namespace {

fs::path g_data, g_out;

std::string read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void seed(const std::string& target, const std::string& name, const std::string& bytes) {
  fs::create_directories(g_out / target);
  std::ofstream(g_out / target / name, std::ios::binary) << bytes;
}

using Members = std::vector<std::pair<std::string, std::string>>;

std::string archive(const Members& members) {
  std::string header, body;
  for (const auto& [name, contents] : members) {
    header += br::archive_header_line(name, contents.size());
    body += contents;
  }
  return header + br::kArchiveEndLine + "\n" + body;
}

std::string gzip(const std::string& text) {
  z_stream z{};
  deflateInit2(&z, 9, Z_DEFLATED, 31, 8, Z_DEFAULT_STRATEGY);
  std::string out(deflateBound(&z, text.size()) + 64, '\0');
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
  z.avail_in = static_cast<uInt>(text.size());
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = static_cast<uInt>(out.size());
  deflate(&z, Z_FINISH);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

std::string scramble(std::string bytes) {
  br::ScrambleStream s;
  br::scramble_bytes(s, reinterpret_cast<uint8_t*>(bytes.data()), bytes.size());
  return bytes;
}

std::string ppm(int side, char value) {
  std::string out = "P6\n" + std::to_string(side) + " " + std::to_string(side) + "\n255\n";
  return out + std::string(static_cast<size_t>(side) * side * 3, value);
}

// A ground small enough to fuzz: the data set track's height range over 17 x 17 samples.
Members small_ground(const std::string& track) {
  std::string header = read(g_data / track / "terrain.hf").substr(0, 64);
  br::TerrainHeader h{3, 2.0f, 0.0f, 10.0f};
  if (auto parsed = br::parse_terrain_header(header)) {
    h.min_height = parsed->header.min_height;
    h.max_height = parsed->header.max_height;
  }
  std::vector<uint16_t> samples(17 * 17);
  for (size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<uint16_t>(i * 227);
  std::string tilemap(64, '\0');
  for (size_t i = 0; i < tilemap.size(); ++i) tilemap[i] = static_cast<char>(i % 3);
  return {{"t/terrain.hf", br::format_terrain_file(h, samples)},
          {"t/shadingx2.ppm", ppm(17, 90)},
          {"t/tilemap", tilemap}};
}

void track_seeds() {
  for (const char* track : {"rabbithill", "foundry"}) {
    Members m = small_ground(track);
    for (const char* file : {"desc", "tileinfo", "timing_gates", "statues", "lighting", "cameras",
                             "decals", "billboards"}) {
      m.emplace_back(std::string("t/") + file, read(g_data / track / file));
    }
    seed("track", track, archive(m));
    seed("archive", track, archive(Members(m.begin() + 3, m.end())));
  }
}

void texture_seeds() {
  std::string png = read(g_data / "tape.png");
  seed("texture_files", "png_info",
       archive(
           {{"t.png", png},
            {"t.png.info", "[mip_max_alpha][numberbackground:1,0,0][numberforeground:0,0,0.5]"}}));
  seed("texture_files", "link", archive({{"t.png", "LINK @finishline.png\n"}}));
  std::string j7 = "J7\n2 2\n" + std::string(16, '\x10');
  std::string anim = "ANIM1 3 2 100 0\n0 1 0\n" + j7 + "\nPNG\n@tape.png\n";
  seed("texture_files", "animation", archive({{"t.seq", anim}, {"t.png", png}}));
  seed("texture_files", "grey", archive({{"t.pgm", "P5\n2 2\n255\n\x01\x02\x03\x04"}}));
  seed("image", "j6", "J6\n# a comment\n2 2\n" + std::string(12, '\x05'));
  seed("image", "j7", j7);
  seed("image", "animation", anim);
  seed("image", "link", "LINK @tape.png\n");
  seed("image", "ascii_ppm", "P3\n2 1\n255\n1 2 3 4 5 6\n");
}

void data_file_seeds() {
  std::string text = read(g_data / "rabbithill" / "cameras");
  std::string shape = read(g_data / "front_wheel.shp");
  seed("data_file", "gz", '\0' + gzip(text));
  seed("data_file", "scram", '\1' + scramble(shape));
  seed("data_file", "gz_scram", '\2' + scramble(gzip(shape)));
  seed("data_file", "plain", '\3' + text);
}

void format_prefixed_seeds() {
  seed("tiles", "tileinfo", '\0' + read(g_data / "rabbithill" / "tileinfo"));
  seed("tiles", "texturelist",
       "\1"
       "1.0 5.0 15.0 rabbithill/loam.png\nfoundry/sand.png\n");
  const char* scenery[] = {"billboards", "statues", "decals", "cameras", "lighting"};
  for (int k = 0; k < 5; ++k) {
    for (const char* track : {"rabbithill", "foundry"}) {
      seed("scenery", std::string(scenery[k]) + "_" + track,
           static_cast<char>(k) + read(g_data / track / scenery[k]));
    }
  }
  br::FlaggersFile flaggers;
  flaggers.has_start = flaggers.has_finish = true;
  flaggers.corners.resize(2);
  seed("scenery", "flaggers", '\5' + br::format_flaggers(flaggers));
}

void config_seeds() {
  br::world_reset();
  seed("config", "defaults", br::config_write(br::g_world));
  br::g_world.bindings[br::kBindLeft].key_name.clear();
  br::g_world.bindings[br::kBindThrottle].axis_name = "Pad X";
  seed("config", "changed", br::config_write(br::g_world));
}

void line_file_seeds() {
  br::LineDatabase db;
  db.sections.resize(3);
  for (int s = 0; s < 3; ++s) {
    for (int i = 0; i <= s; ++i) {
      br::LineRecord& line = db.sections[size_t(s)][size_t(i)];
      line.tests = 5 + i;
      line.sum_first = 640 * line.tests;
      line.first_time = line.best_first = 640;
      for (int p = 0; p < 4; ++p) line.points.push_back({float(p), 1.5f, -float(p * s), 30, 0.1f});
    }
  }
  seed("line_file", "three_sections", '\3' + br::format_line_file(db));
}

void sound_table_seeds() {
  // A small table of its own, with a remap list, beside the data set's tables whose samples
  // come from the data set.
  br::SoundTableText table;
  table.row_keys = {1000, 9000};
  table.column_keys = {0, 1};
  Members m;
  for (int i = 0; i < 4; ++i) {
    std::vector<float> cycle(96);
    for (size_t k = 0; k < cycle.size(); ++k) cycle[k] = float((k * (i + 3)) % 17) / 20 - 0.4f;
    std::string name = "s" + std::to_string(i) + ".raw";
    m.emplace_back(name, br::encode_sample_file(cycle));
    br::SoundTableCellText cell;
    cell.cycles = 2;
    cell.sample_path = "@" + name;
    if (i == 1) cell.remap = {1, 0, 0};
    table.cells.push_back(cell);
  }
  m.insert(m.begin(), {"t.soundtable", br::write_sound_table(table)});
  seed("sound_table", "small", archive(m));
  for (const auto& entry : fs::directory_iterator(g_data / "sounds")) {
    if (entry.path().extension() != ".soundtable") continue;
    seed("sound_table", entry.path().stem().string(),
         archive({{"t.soundtable", read(entry.path())}}));
  }
}

// A demo through the game's own header writer, then blocks chained as the recorder chains them.
void demo_seeds() {
  br::DemoHeader h;
  h.riders = 2;
  h.laps = 2;
  h.start_step = 1792;
  h.track = "rabbithill";
  for (const char* name : {"Ann", "Bo"}) {
    br::DemoRider r;
    r.bike = "cr125";
    r.rider_texture = "@rider_body-alt1.png";
    r.number = "12";
    r.name = name;
    h.rider_list.push_back(r);
  }
  fs::path path = g_out / "demo.header";
  fs::create_directories(g_out);
  br::DataFile* f = br::data_open(path.c_str(), "wb");
  if (!f || br::write_demo_header(f, h) < 0 || !br::data_close(f)) std::abort();
  std::string bytes = read(path);
  fs::remove(path);

  uint32_t last = 0;
  auto block = [&](int32_t step, uint8_t type, const std::string& payload) {
    uint8_t head[br::kBlockHeaderBytes];
    auto length = static_cast<uint32_t>(payload.size());
    br::put_block_header(head, {last ^ length, step, type});
    last = length;
    bytes += std::string(reinterpret_cast<char*>(head), sizeof head) + payload;
  };
  for (int32_t step = 1700; step < 1900; step += 16) {
    std::string payload;
    for (uint8_t ordinal = 0; ordinal < 2; ++ordinal) {
      std::string entry(br::kEntryBytes, '\0');
      entry[0] = static_cast<char>(ordinal);
      br::write_u32_le(reinterpret_cast<uint8_t*>(entry.data() + 1), static_cast<uint32_t>(step));
      entry[br::kEntryBytes - 1] = static_cast<char>(step);
      payload += entry;
    }
    block(step, br::kBlockStates, payload);
    if (step == 1764) block(step, br::kBlockText, "Race 2 on rabbithill");
  }
  seed("demo", "two_riders", bytes);
  // The old frame layout: a header line of version 5, then one snapshot per rider per step.
  std::string old = "BR05 1 0 1\nrabbithill\ncr125|||\n7\n";
  old += std::string(static_cast<size_t>(br::frame_record_bytes(5)) * 20, '\3');
  seed("demo", "version5", old);
}

// A series text with places for two of its events; the standings come after a NUL.
void series_seeds() {
  for (const auto& entry : fs::directory_iterator(g_data)) {
    if (entry.path().extension() != ".series") continue;
    std::string text = read(entry.path());
    auto s = br::parse_series(
        text, "s", [](const std::string&) { return 0; }, false);
    if (!s) continue;
    s->completed = std::min<int>(2, static_cast<int>(s->events.size()));
    for (int e = 0; e < s->completed; ++e) {
      auto& places = s->events[size_t(e)].places;
      for (size_t p = 0; p < places.size(); ++p) places[p] = int((p + e) % places.size());
    }
    seed("series", entry.path().stem().string(), text + '\0' + br::format_standings(*s));
  }
}

std::string bytes_of(const br::Bytes& b) {
  return std::string(b.begin(), b.end());
}

br::RiderIdentity seed_rider() {
  br::RiderIdentity r;
  r.bike_model = "cr125";
  r.number = "7";
  r.name = "Ann";
  return r;
}

// Every packet type both ways, from the game's own writers; and a rider's whole session with
// the server as the receive path's records (sender, time, length, datagram).
void packet_seeds() {
  br::ClientPacket c;
  c.id = 0;
  c.race = 1;
  c.text = br::description_text(seed_rider());
  c.protocol = br::kClientProtocol;
  for (uint8_t type :
       {br::kPacketHello, br::kPacketClientInfo, br::kPacketTrackAck, br::kPacketRiderAck,
        br::kPacketReady, br::kPacketState, br::kPacketRestartRequest, br::kPacketRestartAck,
        br::kPacketDisconnect, br::kPacketReliable, br::kPacketAck}) {
    c.type = type;
    seed("client_packets", "type" + std::to_string(type), bytes_of(br::write_client_packet(c)));
  }
  c.type = br::kPacketReliable;
  c.message = br::kMessageTiming;
  c.text = br::write_own_timing(1, 3, 2000);
  seed("client_packets", "timing", bytes_of(br::write_client_packet(c)));

  br::ServerPacket p;
  p.race = 1;
  p.text = br::description_text(seed_rider());
  p.entries.resize(3);
  for (uint8_t type : std::initializer_list<uint8_t>{
           br::kPacketFull, br::kPacketWelcome, br::kPacketRaceInfo, br::kPacketRiderDescription,
           br::kPacketYourRider, br::kPacketClock, br::kPacketStates, br::kPacketRacePosition,
           br::kPacketNewRace, br::kPacketDisconnected, br::kPacketRefused, br::kPacketReliable,
           br::kPacketAck}) {
    p.type = type;
    seed("server_packets", "type" + std::to_string(type), bytes_of(br::write_server_packet(p)));
  }
  p.type = br::kPacketReliable;
  p.message = br::kMessageTiming;
  br::TimingRecord records[2] = {{0, 1, 1900}, {2, 1, 1950}};
  p.text = br::write_timing_records(1, records);
  seed("server_packets", "timing", bytes_of(br::write_server_packet(p)));

  // The session: hello, client information, track, ready, states, a timing record, a chat
  // line, an acknowledgment and goodbye. The high bit of the sender byte puts the sender's
  // id and key in.
  std::string session;
  auto record = [&](uint8_t sender, uint8_t ticks, const br::ClientPacket& packet) {
    br::Bytes b = br::write_client_packet(packet);
    uint8_t head[4] = {sender, ticks, 0, 0};
    br::write_u16_le(head + 2, static_cast<uint16_t>(b.size()));
    session += std::string(reinterpret_cast<char*>(head), 4) + bytes_of(b);
  };
  br::ClientPacket q;
  q.protocol = br::kClientProtocol;
  for (uint8_t sender : {0x80, 0x81}) {
    q.type = br::kPacketHello;
    record(sender, 1, q);
    q.type = br::kPacketClientInfo;
    q.text = br::description_text(seed_rider());
    record(sender, 1, q);
    q.type = br::kPacketTrackAck;
    q.race = 1;
    record(sender, 1, q);
    q.type = br::kPacketRiderAck;
    q.slot = 0;
    record(sender, 1, q);
    q.type = br::kPacketReady;
    record(sender, 1, q);
  }
  q.type = br::kPacketState;
  for (uint32_t step = 0; step < 8; ++step) {
    q.local_step = step * 4;
    q.server_step = step * 4;
    record(0x80, 2, q);
  }
  q.type = br::kPacketReliable;
  q.sequence = 1;
  q.message = br::kMessageTiming;
  q.text = br::write_own_timing(2, 1, 900);
  record(0x80, 200, q);
  q.sequence = 2;
  q.message = br::kMessageChat;
  q.text = "hello";
  record(0x81, 1, q);
  q.type = br::kPacketAck;
  q.sequence = 1;
  record(0x80, 1, q);
  q.type = br::kPacketDisconnect;
  record(0x81, 1, q);
  seed("server_receive", "session", session);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s DATA_DIR OUT_DIR\n", argv[0]);
    return 2;
  }
  g_data = argv[1];
  g_out = argv[2];
  track_seeds();
  texture_seeds();
  data_file_seeds();
  format_prefixed_seeds();
  config_seeds();
  line_file_seeds();
  sound_table_seeds();
  demo_seeds();
  series_seeds();
  packet_seeds();
  return 0;
}
