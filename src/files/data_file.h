// Opening, reading and writing files by data name or path.
//
// A name that begins with "@" is a data name: it is tried in every search directory in
// order (so writes land in the home directory) and, for reading, in the data index, which
// also covers archive members. Reads transparently use a ".gz", ".scram" or ".gz.scram"
// variant. A mode that begins with "~" rewrites the file after copying it to the first
// free numbered backup "<path>.~<n>~".
#pragma once

#include <climits>
#include <cstddef>
#include <cstdio>
#include <memory>
#include <string>

namespace br {

struct DataFile;

// Returns the open file, or nullptr (the caller decides whether a missing file matters).
DataFile* data_open(const char* name, const char* mode);
void data_close(DataFile* file);

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

// Renames `from` to `to`, both resolved like data names opened for writing; the target is
// removed first.
bool data_rename(const char* from, const char* to);

// The path a name resolves to for writing: a data name in the first search directory.
std::string data_write_path(const char* name);

}  // namespace br
