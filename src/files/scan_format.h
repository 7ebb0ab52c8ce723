// The scanf engine behind data_scanf, reading from any character source with one
// character of push-back.
#pragma once

#include <cstdarg>
#include <cstddef>

namespace br {

struct ScanSource {
  int (*get)(void* context) = nullptr;            // next character, -1 at the end
  void (*unget)(void* context, int c) = nullptr;  // pushes back the character just read
  void* context = nullptr;
  size_t consumed = 0;  // characters taken and kept by the scan
};

// Scans like vfscanf: returns the number of assigned conversions, or -1 when the input
// ended before the first conversion.
int scan_vformat(ScanSource& source, const char* format, va_list args);

}  // namespace br
