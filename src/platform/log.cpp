#include "platform/log.h"

#include <unistd.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/clock.h"

namespace kota {
namespace {

constexpr char kBanner[] = "KOTA 0.31\n";
constexpr char kLogFileMarker[] = "KOTA_LOGFILE=";

struct LogState {
  FILE* file = nullptr;
  bool open_attempted = false;
  bool flush_every_line = false;
  const char* last_error = "Unknown";
  std::string last_error_text;
};

LogState& state() {
  static LogState s;
  return s;
}

void write_line(const char* format, va_list args) {
  LogState& s = state();
  if (!s.file) return;
  ClockTime now = clock_now();
  long long total = now.seconds;
  std::fprintf(s.file, "[%lld:%02lld:%02lld.%02d] ", total / 3600, total / 60 % 60, total % 60,
               static_cast<int>(now.microseconds / 10000));
  std::vfprintf(s.file, format, args);
  if (s.flush_every_line) {
    std::fflush(s.file);
    fsync(fileno(s.file));
  }
}

void write_formatted(const char* format, ...) __attribute__((format(printf, 1, 2)));
void write_formatted(const char* format, ...) {
  va_list args;
  va_start(args, format);
  write_line(format, args);
  va_end(args);
}

// Opens the log on the first message. The environment names the file and its mode; a name
// given by the program (NAMED, may be null) counts only when the environment is silent.
void open_log(const char* named) {
  LogState& s = state();
  s.open_attempted = true;
  const char* env_name = std::getenv("KOTA_LOGFILE");
  const char* env_mode = std::getenv("KOTA_LOGFILE_FLAGS");
  std::string name;
  if (env_name) {
    name = env_name;
  } else if (named) {
    name = named;
  }
  if (!name.empty()) {
    const char* mode = "w";
    if (name.starts_with(">>")) {
      mode = "a";
      name.erase(0, 2);
    } else if (name.starts_with(">")) {
      name.erase(0, 1);
    }
    if (env_mode) mode = env_mode;
    s.file = std::fopen(name.c_str(), mode);
  }
  write_formatted("Logfile \"%s\" opened\n", name.c_str());
  write_formatted("%s", kBanner);
}

}  // namespace

void log_printf(const char* format, ...) {
  LogState& s = state();
  if (!s.open_attempted) {
    bool marker =
        format && std::strncmp(format, kLogFileMarker, sizeof kLogFileMarker - 1) == 0;
    open_log(marker ? format + sizeof kLogFileMarker - 1 : nullptr);
  }
  if (!format) {
    if (s.file) std::fclose(s.file);
    s.file = nullptr;
    return;
  }
  if (format[0] == '\x13') {
    if (std::strcmp(format + 1, "FLUSH") == 0) s.flush_every_line = true;
    if (std::strcmp(format + 1, "NOFLUSH") == 0) s.flush_every_line = false;
    return;
  }
  if (std::strncmp(format, kLogFileMarker, sizeof kLogFileMarker - 1) == 0) return;
  va_list args;
  va_start(args, format);
  write_line(format, args);
  va_end(args);
}

void log_name_file(const char* name) {
  if (!state().open_attempted) open_log(name);
}

void log_flush() {
  LogState& s = state();
  if (s.file) std::fflush(s.file);
}

void set_error(const char* message) {
  log_printf("Error: %s\n", message);
  LogState& s = state();
  s.last_error_text = message ? message : "Unknown";
  s.last_error = s.last_error_text.c_str();
}

const char* last_error() { return state().last_error; }

void log_reset() {
  LogState& s = state();
  if (s.file) std::fclose(s.file);
  s = LogState{};
}

}  // namespace kota
