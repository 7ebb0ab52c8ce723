#include "files/scan_format.h"

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace br {
namespace {

enum class Length { kNone, kChar, kShort, kLong, kLongLong, kLongDouble, kSize, kMax, kPtrdiff };

class Scanner {
 public:
  Scanner(ScanSource& source, va_list& args) : src_(source), args_(args) {}

  int run(const char* format);

 private:
  int get() {
    int c = src_.get(src_.context);
    if (c >= 0) ++src_.consumed;
    return c;
  }
  void unget(int c) {
    if (c < 0) return;
    src_.unget(src_.context, c);
    --src_.consumed;
  }
  // Skips white space; returns the next character (left unread) or -1.
  int skip_space() {
    int c;
    while ((c = get()) >= 0 && std::isspace(c)) {
    }
    unget(c);
    return c;
  }
  int input_failure() const { return conversions_ == 0 ? -1 : assigned_; }

  // Takes characters while `keep` accepts them, at most `width` (0: no limit), into `out`
  // when given, closed with a NUL unless nothing was taken. Returns how many were taken.
  template <typename Keep>
  size_t take_run(size_t width, char* out, Keep keep) {
    size_t n = 0;
    int c = -1;
    while ((width == 0 || n < width) && (c = get()) >= 0) {
      if (!keep(c)) {
        unget(c);
        break;
      }
      if (out) out[n] = static_cast<char>(c);
      ++n;
    }
    ended_ = c < 0;
    if (out && n > 0) out[n] = 0;
    return n;
  }

  bool scan_integer(char conversion, size_t width, Length length, bool suppress);
  bool scan_float(size_t width, Length length, bool suppress);
  void store_integer(Length length, unsigned long long bits);

  ScanSource& src_;
  va_list& args_;
  int assigned_ = 0;
  int conversions_ = 0;
  bool ended_ = false;  // the input ran out during the last conversion
};

// Every integer conversion and %n store here. `bits` is the value as an unsigned 64-bit
// pattern; narrowing it keeps the low bits, which is what a signed value cut to a smaller
// type keeps too.
void Scanner::store_integer(Length length, unsigned long long bits) {
  switch (length) {
    case Length::kChar:
      *va_arg(args_, char*) = static_cast<char>(bits);
      break;
    case Length::kShort:
      *va_arg(args_, short*) = static_cast<short>(bits);
      break;
    case Length::kLong:
      *va_arg(args_, long*) = static_cast<long>(bits);
      break;
    case Length::kLongLong:
      *va_arg(args_, long long*) = static_cast<long long>(bits);
      break;
    case Length::kSize:
      *va_arg(args_, size_t*) = static_cast<size_t>(bits);
      break;
    case Length::kMax:
      *va_arg(args_, intmax_t*) = static_cast<intmax_t>(bits);
      break;
    case Length::kPtrdiff:
      *va_arg(args_, ptrdiff_t*) = static_cast<ptrdiff_t>(bits);
      break;
    default:
      *va_arg(args_, int*) = static_cast<int>(bits);
      break;
  }
}

bool Scanner::scan_integer(char conversion, size_t width, Length length, bool suppress) {
  int base = 10;
  if (conversion == 'o') base = 8;
  if (conversion == 'x' || conversion == 'X' || conversion == 'p') base = 16;
  if (conversion == 'i') base = 0;
  if (width == 0 || width > 63) width = 63;
  std::string text;
  int c = get();
  if ((c == '+' || c == '-') && text.size() < width) {
    text.push_back(static_cast<char>(c));
    c = get();
  }
  bool digits = false;
  if ((base == 0 || base == 16) && c == '0' && text.size() < width) {
    text.push_back('0');
    digits = true;
    c = get();
    if ((c == 'x' || c == 'X') && text.size() < width) {
      text.push_back(static_cast<char>(c));
      base = 16;
      c = get();
    } else if (base == 0) {
      base = 8;
    }
  }
  if (base == 0) base = 10;
  while (c >= 0 && text.size() < width) {
    bool ok = base == 16 ? std::isxdigit(c) != 0 : (c >= '0' && c < '0' + std::min(base, 10));
    if (!ok) break;
    text.push_back(static_cast<char>(c));
    digits = true;
    c = get();
  }
  ended_ = c < 0;
  unget(c);
  if (!digits) return false;
  ++conversions_;
  if (suppress) return true;
  bool is_signed = conversion == 'd' || conversion == 'i';
  if (conversion == 'p') {
    *va_arg(args_, void**) = reinterpret_cast<void*>(std::strtoull(text.c_str(), nullptr, 16));
    ++assigned_;
    return true;
  }
  store_integer(
      length, is_signed ? static_cast<unsigned long long>(std::strtoll(text.c_str(), nullptr, base))
                        : std::strtoull(text.c_str(), nullptr, base));
  ++assigned_;
  return true;
}

bool Scanner::scan_float(size_t width, Length length, bool suppress) {
  if (width == 0 || width > 127) width = 127;
  std::string text;
  int c = get();
  auto take = [&] {
    text.push_back(static_cast<char>(c));
    c = get();
  };
  if ((c == '+' || c == '-') && text.size() < width) take();
  bool digits = false;
  while (c >= '0' && c <= '9' && text.size() < width) take(), digits = true;
  if (c == '.' && text.size() < width) {
    take();
    while (c >= '0' && c <= '9' && text.size() < width) take(), digits = true;
  }
  if (digits && (c == 'e' || c == 'E') && text.size() < width) {
    take();
    if ((c == '+' || c == '-') && text.size() < width) take();
    while (c >= '0' && c <= '9' && text.size() < width) take();
  }
  ended_ = c < 0;
  unget(c);
  if (!digits) return false;
  ++conversions_;
  if (suppress) return true;
  if (length == Length::kLongDouble) {
    *va_arg(args_, long double*) = std::strtold(text.c_str(), nullptr);
  } else if (length == Length::kLong) {
    *va_arg(args_, double*) = std::strtod(text.c_str(), nullptr);
  } else {
    *va_arg(args_, float*) = std::strtof(text.c_str(), nullptr);
  }
  ++assigned_;
  return true;
}

int Scanner::run(const char* format) {
  const char* p = format;
  while (*p) {
    unsigned char f = static_cast<unsigned char>(*p);
    if (std::isspace(f)) {
      skip_space();
      while (std::isspace(static_cast<unsigned char>(*p))) ++p;
      continue;
    }
    if (f != '%' || p[1] == '%') {
      if (f == '%') {
        ++p;
        skip_space();
      }
      int c = get();
      if (c < 0) return input_failure();
      if (c != *p) {
        unget(c);
        return assigned_;
      }
      ++p;
      continue;
    }
    ++p;
    bool suppress = false;
    if (*p == '*') suppress = true, ++p;
    size_t width = 0;
    while (*p >= '0' && *p <= '9') width = width * 10 + static_cast<size_t>(*p++ - '0');
    Length length = Length::kNone;
    if (p[0] == 'h' && p[1] == 'h')
      length = Length::kChar, p += 2;
    else if (p[0] == 'l' && p[1] == 'l')
      length = Length::kLongLong, p += 2;
    else if (*p == 'h')
      length = Length::kShort, ++p;
    else if (*p == 'l')
      length = Length::kLong, ++p;
    else if (*p == 'L' || *p == 'q')
      length = Length::kLongDouble, ++p;
    else if (*p == 'z')
      length = Length::kSize, ++p;
    else if (*p == 'j')
      length = Length::kMax, ++p;
    else if (*p == 't')
      length = Length::kPtrdiff, ++p;
    char conversion = *p;
    if (conversion == 0) return assigned_;
    ++p;
    switch (conversion) {
      case 'n':
        if (!suppress) store_integer(length, src_.consumed);
        break;
      case 'c': {
        if (width == 0) width = 1;
        char* out = suppress ? nullptr : va_arg(args_, char*);
        for (size_t i = 0; i < width; ++i) {
          int c = get();
          if (c < 0) {
            if (i == 0) return input_failure();
            return assigned_;
          }
          if (out) out[i] = static_cast<char>(c);
        }
        ++conversions_;
        if (out) ++assigned_;
        break;
      }
      case 's': {
        if (skip_space() < 0) return input_failure();
        char* out = suppress ? nullptr : va_arg(args_, char*);
        // The skip left a non-space character next, so the run is never empty.
        take_run(width, out, [](int c) { return !std::isspace(c); });
        ++conversions_;
        if (out) ++assigned_;
        break;
      }
      case '[': {
        bool negate = false;
        if (*p == '^') negate = true, ++p;
        bool in_set[256] = {};
        const char* start = p;
        while (*p && (*p != ']' || p == start)) {
          unsigned char lo = static_cast<unsigned char>(*p);
          if (p[1] == '-' && p[2] && p[2] != ']') {
            unsigned char hi = static_cast<unsigned char>(p[2]);
            for (int ch = lo; ch <= hi; ++ch) in_set[ch] = true;
            p += 3;
          } else {
            in_set[lo] = true;
            ++p;
          }
        }
        if (*p != ']') return assigned_;  // malformed format
        ++p;
        char* out = suppress ? nullptr : va_arg(args_, char*);
        if (take_run(width, out, [&](int c) { return in_set[c] != negate; }) == 0) {
          return ended_ ? input_failure() : assigned_;
        }
        ++conversions_;
        if (out) ++assigned_;
        break;
      }
      case 'd':
      case 'i':
      case 'u':
      case 'o':
      case 'x':
      case 'X':
      case 'p':
        if (skip_space() < 0) return input_failure();
        if (!scan_integer(conversion, width, length, suppress)) {
          return ended_ ? input_failure() : assigned_;
        }
        break;
      case 'f':
      case 'F':
      case 'e':
      case 'E':
      case 'g':
      case 'G':
      case 'a':
      case 'A':
        if (skip_space() < 0) return input_failure();
        if (!scan_float(width, length, suppress)) return ended_ ? input_failure() : assigned_;
        break;
      default:
        return assigned_;
    }
  }
  return assigned_;
}

}  // namespace

int scan_vformat(ScanSource& source, const char* format, va_list args) {
  va_list copy;
  va_copy(copy, args);
  Scanner scanner(source, copy);
  int result = scanner.run(format);
  va_end(copy);
  return result;
}

}  // namespace br
