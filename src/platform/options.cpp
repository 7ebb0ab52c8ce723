#include "platform/options.h"

#include <cctype>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "platform/log.h"

namespace kota {
namespace {

constexpr size_t kMaxOptionName = 60;

std::optional<std::string>& options_text() {
  static std::optional<std::string> text;
  return text;
}

const std::string& text() {
  auto& t = options_text();
  if (!t) {
    const char* env = std::getenv("KOTA_OPTIONS");
    t = env ? env : "";
  }
  return *t;
}

// The text right after the first "[name:", or nullptr when the option is absent.
const char* find_value(const char* name) {
  std::string marker = "[";
  marker.append(name, strnlen(name, kMaxOptionName));
  marker += ':';
  const std::string& t = text();
  size_t at = t.find(marker);
  return at == std::string::npos ? nullptr : t.c_str() + at + marker.size();
}

bool starts_with(const char* text, const char* prefix) {
  return std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

}  // namespace

bool option_flag(const char* name, bool default_value) {
  const char* value = find_value(name);
  if (!value) return default_value;
  if (starts_with(value, "yes]") || starts_with(value, "on]")) return true;
  if (starts_with(value, "no]") || starts_with(value, "off]")) return false;
  log_printf("unrecognized setting for %s\n", name);
  return default_value;
}

int option_int(const char* name, int default_value) {
  const char* value = find_value(name);
  if (!value) return default_value;
  char* end = nullptr;
  long v = std::strtol(value, &end, 10);
  // strtol skips blanks and signs; only digits right after the colon count.
  bool digits = end != value && (std::isdigit(static_cast<unsigned char>(value[0])) ||
                                 ((value[0] == '-' || value[0] == '+') &&
                                  std::isdigit(static_cast<unsigned char>(value[1]))));
  if (!digits) {
    log_printf("unrecognized setting for %s\n", name);
    return default_value;
  }
  if (v > INT_MAX) return INT_MAX;
  if (v < INT_MIN) return INT_MIN;
  return static_cast<int>(v);
}

void options_set_text(const char* t) {
  auto& stored = options_text();
  if (t) {
    stored = std::string(t);
  } else {
    stored.reset();
  }
}

}  // namespace kota
