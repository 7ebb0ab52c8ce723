// Opening, reading and writing files by data name or path.
//
// A name that begins with "@" is a data name: it is tried in every search directory in
// order (so writes land in the home directory) and, for reading, in the data index, which
// also covers archive members. Reads transparently use a ".gz", ".scram" or ".gz.scram"
// variant. A mode that begins with "~" rewrites the file after copying it to the first
// free numbered backup "<path>.~<n>~"; "~w" modes replace it safely (below).
#pragma once

#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace br {

struct DataFile;

// Returns the open file, or nullptr (the caller decides whether a missing file matters).
// Reading opens regular files only.
DataFile* data_open(const char* name, const char* mode);
// True when everything written reached its place (always true for a file only read).
bool data_close(DataFile* file);

struct DataFileCloser {
  void operator()(DataFile* file) const { data_close(file); }
};
using DataFilePtr = std::unique_ptr<DataFile, DataFileCloser>;

// Reading. data_getc returns -1 at the end; data_gets keeps the line feed and returns
// nullptr when nothing is left; data_read returns the count of bytes read.
int data_getc(DataFile* file);
void data_ungetc(DataFile* file, int c);  // one character of push-back
char* data_gets(char* buffer, int size, DataFile* file);
size_t data_read(DataFile* file, void* buffer, size_t count);
// The whole contents of a file. Data files are bounded: one that holds (or inflates to) more
// than `max_bytes` is refused, logged, rather than read until memory runs out.
constexpr size_t kMaxDataFileBytes = size_t{256} << 20;
std::optional<std::vector<uint8_t>> data_read_whole(const char* name,
                                                    size_t max_bytes = kMaxDataFileBytes);

// Moves to `position` bytes from the start; only plain (neither compressed nor scrambled)
// files, and only within their length.
bool data_seek(DataFile* file, long position);

// Writing.
size_t data_write(DataFile* file, const void* buffer, size_t count);
int data_putc(DataFile* file, int c);
int data_puts(DataFile* file, const char* text);
int data_printf(DataFile* file, const char* format, ...) __attribute__((format(printf, 2, 3)));
int data_flush(DataFile* file);

// scanf-style reading with the usual conversions (d i u o x X f e g E G a s c [ n and
// %%, with '*', widths and the hh h l ll L z j t length modifiers). Returns the number of
// assigned conversions, or -1 when the input ended before the first one.
int data_scanf(DataFile* file, const char* format, ...) __attribute__((format(scanf, 2, 3)));

// Skips white space and "#" comments that run to the end of their line.
void data_skip_comments(DataFile* file);

constexpr int kNoInt = INT_MIN;  // 0x80000000
// One "%d", or kNoInt when none could be read.
int data_read_int(DataFile* file);

// Safe rewriting, for every file the player would miss (configuration, lines, results,
// standings, demos, screenshots). The bytes go to a temporary file beside the target, and
// data_close flushes and syncs it and renames it over the target: a crash, a kill or a full
// disk leaves the old file or the new one, never a mix. data_close returns false, logged,
// and keeps the old file when any of that failed; data_abandon drops the new bytes.
// kNumbered first copies an existing file to its first free "<path>.~<n>~", like a "~"
// mode; a backup that cannot be written fails the open.
enum class DataBackup { kNone, kNumbered };
DataFile* data_open_replace(const char* name, DataBackup backup = DataBackup::kNone);
void data_abandon(DataFile* file);
// The whole file at once; true when it is in place.
bool data_replace_file(const char* name, std::string_view contents,
                       DataBackup backup = DataBackup::kNone);

// Renames `from` to `to`, both resolved like data names opened for writing; the target is
// removed first.
bool data_rename(const char* from, const char* to);

// The path a name resolves to for writing: a data name in the first search directory.
std::string data_write_path(const char* name);

}  // namespace br
