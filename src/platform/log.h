// Process-wide log file with time-stamped lines, and the last-error text.
#pragma once

namespace kota {

// Writes one printf-style message to the log, prefixed with "[h:mm:ss.cc] " of clock_now().
// Special forms: a null format closes the log; "\x13" "FLUSH" and "\x13" "NOFLUSH" switch
// flushing after every line on and off; "KOTA_LOGFILE=name" names the log file when the
// environment does not. The first call of any kind opens the log.
void log_printf(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Names the log file as a "KOTA_LOGFILE=name" message does, for names that must not pass
// through a format (a home folder may hold a '%'). Does nothing once the log is open.
void log_name_file(const char* name);

// Hands the lines written so far to the system, for whoever watches the log while the game
// runs (flushing after every line is usually off during a race).
void log_flush();

// Logs "Error: %s\n" and remembers the message for last_error().
void set_error(const char* message);
const char* last_error();

// Forgets all log state so the next message opens the log afresh (tests use it).
void log_reset();

}  // namespace kota
