#include "files/messages.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/log.h"

namespace br {
namespace {

struct MessageRing {
  char lines[kMessageRingLines][kMessageLineChars + 1] = {};
  int next = 0;  // the line written next
  int limit = 5;
};

MessageRing& ring() {
  static MessageRing r;
  return r;
}

}  // namespace

void message_area_clear(World& w) {
  int limit = ring().limit;
  ring() = MessageRing{};
  ring().limit = limit;
  w.visible_messages = 0;
  w.message_expiry = 0.0;
}

void set_message_lines(int lines) {
  ring().limit = lines < 0 ? 0 : lines;
}
int message_lines() {
  return ring().limit;
}

void show_message(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  int n = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  std::string text(n > 0 ? static_cast<size_t>(n) : 0, '\0');
  if (n > 0) std::vsnprintf(text.data(), text.size() + 1, format, args);
  va_end(args);

  // Coloured text would leave the terminal coloured; reset it after the line.
  const char* reset = text.find('\x1b') != std::string::npos ? "\x1b[0m" : "";
  bool has_newline = !text.empty() && text.back() == '\n';
  kota::log_printf(has_newline ? "%s%s" : "%s%s\n", text.c_str(), reset);

  MessageRing& r = ring();
  std::snprintf(r.lines[r.next], sizeof r.lines[r.next], "%s", text.c_str());
  r.next = (r.next + 1) % kMessageRingLines;
  World& w = g_world;
  if (w.visible_messages < r.limit) w.visible_messages += 1;
  w.message_expiry = w.world_time + kMessageFirstExpiry;
}

const char* message_line(int n) {
  if (n < 0 || n >= kMessageRingLines) return "";
  const MessageRing& r = ring();
  return r.lines[(r.next - 1 - n + 2 * kMessageRingLines) % kMessageRingLines];
}

void expire_messages(World& w) {
  if (w.visible_messages > 0 && w.world_time > w.message_expiry) {
    w.visible_messages -= 1;
    w.message_expiry = w.world_time + kMessageNextExpiry;
  }
}

}  // namespace br
