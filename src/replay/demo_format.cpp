#include "replay/demo_format.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "files/little_endian.h"
#include "world/world.h"

namespace br {
namespace {

// One header line with its line feed; false when the file ends first or the line is too long.
bool read_line(DataFile* f, std::string& line, long& consumed) {
  char buffer[kDemoLineBytes + 1];
  if (!data_gets(buffer, sizeof buffer, f)) return false;
  size_t n = std::strlen(buffer);
  consumed += static_cast<long>(n);
  if (n == 0 || buffer[n - 1] != '\n') return false;
  line.assign(buffer, n - 1);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

// A track is a folder of the data directories: a plain name, never a path out of them.
bool plain_track_name(const std::string& name) {
  if (name.empty() || name == "." || name == "..") return false;
  return name.find_first_of("/\\") == std::string::npos;
}

// Text that goes into a header line must not break it into more lines or fields.
std::string field_text(std::string s, bool in_description) {
  for (char& c : s) {
    if (c == '\n' || c == '\r') c = ' ';
    if (in_description && c == '|') c = '_';
  }
  return s;
}

}  // namespace

void put_block_header(uint8_t* out, const BlockHeader& b) {
  write_u32_le(out, b.link);
  write_u32_le(out + 4, static_cast<uint32_t>(b.step));
  out[8] = b.type;
}

BlockHeader get_block_header(const uint8_t* in) {
  return {read_u32_le(in), static_cast<int32_t>(read_u32_le(in + 4)), in[8]};
}

int frame_record_bytes(int version) {
  return version == kOldestDemoVersion ? kOldSnapshotBytes : kSnapshotBytes;
}

bool read_demo_header(DataFile* f, DemoHeader& out, std::string& error) {
  DemoHeader h;
  long consumed = 0;
  std::string line;
  if (!read_line(f, line, consumed)) {
    error = "not a demo file (no header line)";
    return false;
  }
  int values[5] = {0, 0, 0, 0, kDefaultStartStep};
  int n = std::sscanf(line.c_str(), "BR%d %d %d %d %d", &values[0], &values[1], &values[2],
                      &values[3], &values[4]);
  if (n < 3) {
    error = "not a demo file (bad header line)";
    return false;
  }
  h.line = line;
  h.version = values[0];
  if (h.version < kOldestDemoVersion || h.version > kDemoVersion) {
    error = "demo version " + std::to_string(h.version) + " is not supported";
    return false;
  }
  h.riders = values[1];
  if (h.riders < 0 || h.riders > kMaxDemoRiders) {
    error = "demo claims " + std::to_string(h.riders) + " riders";
    return false;
  }
  h.duration_steps = values[2];
  h.laps = n >= 4 ? values[3] : 0;
  h.start_step = n >= 5 ? values[4] : kDefaultStartStep;

  if (!read_line(f, h.track, consumed)) {
    error = "demo has no track line";
    return false;
  }
  if (!plain_track_name(h.track)) {
    error = "demo names no usable track";
    return false;
  }

  for (int i = 0; i < h.riders; ++i) {
    DemoRider r;
    std::string description, plate;
    if (!read_line(f, description, consumed) || !read_line(f, plate, consumed)) {
      error = "demo rider " + std::to_string(i + 1) + " is incomplete";
      return false;
    }
    std::string* fields[5] = {&r.bike, &r.rider_texture, &r.bike_texture, &r.wheel_texture,
                              &r.head_texture};
    size_t start = 0;
    for (int k = 0; k < 5; ++k) {
      size_t bar = description.find('|', start);
      *fields[k] = description.substr(start, bar == std::string::npos ? bar : bar - start);
      if (bar == std::string::npos) break;
      start = bar + 1;
    }
    r.number = plate.substr(0, kNumberPlateChars);
    if (h.version == kDemoVersion) {
      if (!read_line(f, r.name, consumed)) {
        error = "demo rider " + std::to_string(i + 1) + " is incomplete";
        return false;
      }
      // Lines a later writer may add, up to the empty line that ends the description.
      std::string more;
      do {
        if (!read_line(f, more, consumed)) {
          error = "demo rider " + std::to_string(i + 1) + " is incomplete";
          return false;
        }
      } while (!more.empty());
    }
    h.rider_list.push_back(std::move(r));
  }
  h.length = consumed;
  out = std::move(h);
  return true;
}

long write_demo_header(DataFile* f, const DemoHeader& h) {
  std::string text = "BR06 " + std::to_string(h.riders) + " " + std::to_string(h.duration_steps) +
                     " " + std::to_string(h.laps) + " " + std::to_string(h.start_step) + "\n";
  text += field_text(h.track, false) + "\n";
  for (const DemoRider& r : h.rider_list) {
    text += field_text(r.bike, true) + "|" + field_text(r.rider_texture, true) + "|" +
            field_text(r.bike_texture, true) + "|" + field_text(r.wheel_texture, true) + "|" +
            field_text(r.head_texture, true) + "\n";
    text += field_text(r.number.substr(0, kNumberPlateChars), false) + "\n";
    text += field_text(r.name, false) + "\n\n";
  }
  if (data_write(f, text.data(), text.size()) != text.size()) return -1;
  return static_cast<long>(text.size());
}

bool summarise_demo(const char* name, DemoSummary& out, std::string& error) {
  DataFilePtr f(data_open(name, "rb"));
  if (!f) {
    error = "can't open it";
    return false;
  }
  DemoSummary s;
  if (!read_demo_header(f.get(), s.header, error)) return false;
  auto note_step = [&](int32_t step) {
    if (!s.has_states) {
      s.first_step = s.last_step = step;
      s.has_states = true;
    }
    s.first_step = std::min(s.first_step, step);
    s.last_step = std::max(s.last_step, step);
  };

  if (s.header.version != kDemoVersion) {
    // One frame per step, each a snapshot per rider.
    long frame = static_cast<long>(s.header.riders) * frame_record_bytes(s.header.version);
    uint8_t buffer[4096];
    long total = 0;
    size_t n;
    while ((n = data_read(f.get(), buffer, sizeof buffer)) > 0) total += static_cast<long>(n);
    s.blocks = frame > 0 ? total / frame : 0;
    s.trailing_bytes = frame > 0 ? total % frame : total;
    if (s.blocks > 0) {
      s.has_states = true;
      s.first_step = 0;
      s.last_step = static_cast<int32_t>(s.blocks - 1);
    }
    out = std::move(s);
    return true;
  }

  uint32_t last = 0;
  for (;;) {
    uint8_t head[kBlockHeaderBytes];
    size_t got = data_read(f.get(), head, sizeof head);
    if (got < sizeof head) {
      s.trailing_bytes += static_cast<long>(got);
      break;
    }
    BlockHeader b = get_block_header(head);
    uint32_t length = b.link ^ last;
    // Entries are read one by one, so a block that claims more than the file holds costs
    // nothing but its short read.
    uint32_t done = 0;
    bool whole = true;
    if (b.type == kBlockStates && length % kEntryBytes == 0) {
      for (; done < length; done += kEntryBytes) {
        uint8_t entry[kEntryBytes];
        if (data_read(f.get(), entry, sizeof entry) != sizeof entry) {
          whole = false;
          break;
        }
        note_step(static_cast<int32_t>(read_u32_le(entry + 1)));
      }
    } else {
      uint8_t skip[4096];
      while (done < length) {
        size_t want = std::min<size_t>(sizeof skip, length - done);
        size_t n = data_read(f.get(), skip, want);
        done += static_cast<uint32_t>(n);
        if (n < want) {
          whole = false;
          break;
        }
      }
    }
    if (!whole) {
      s.trailing_bytes += kBlockHeaderBytes + static_cast<long>(done);
      break;
    }
    ++s.blocks;
    if (b.type == kBlockText) ++s.text_blocks;
    last = length;
  }
  out = std::move(s);
  return true;
}

std::string demo_summary_text(const DemoSummary& s) {
  const DemoHeader& h = s.header;
  std::string out;
  char line[kDemoLineBytes + 128];
  out += "header: " + h.line + "\n";
  std::snprintf(line, sizeof line, "duration: %d steps\nlaps: %d\nstart step: %d\n",
                h.duration_steps, h.laps, h.start_step);
  out += line;
  std::snprintf(line, sizeof line, "version: %d\ntrack: %s\nriders: %d\n", h.version,
                h.track.c_str(), h.riders);
  out += line;
  for (size_t i = 0; i < h.rider_list.size(); ++i) {
    const DemoRider& r = h.rider_list[i];
    std::snprintf(line, sizeof line, "  %zu: number %s, name \"%s\", bike %s\n", i,
                  r.number.c_str(), r.name.c_str(), r.bike.c_str());
    out += line;
  }
  long steps = s.has_states ? static_cast<long>(s.last_step) - s.first_step : 0;
  std::snprintf(line, sizeof line, "length: %ld steps, %.2f s\n", steps, steps * kSimStep);
  out += line;
  if (s.has_states) {
    std::snprintf(line, sizeof line, "steps: %d to %d\n", s.first_step, s.last_step);
    out += line;
  }
  std::snprintf(line, sizeof line, "%s: %ld\n", h.version == kDemoVersion ? "blocks" : "frames",
                s.blocks);
  out += line;
  if (s.text_blocks > 0) {
    std::snprintf(line, sizeof line, "messages: %ld\n", s.text_blocks);
    out += line;
  }
  if (s.trailing_bytes > 0) {
    std::snprintf(line, sizeof line, "cut short: the last %ld bytes are an incomplete %s\n",
                  s.trailing_bytes, h.version == kDemoVersion ? "block" : "frame");
    out += line;
  }
  return out;
}

}  // namespace br
