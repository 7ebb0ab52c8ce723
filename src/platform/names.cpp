#include "platform/names.h"

#include <cctype>
#include <list>
#include <set>
#include <string>
#include <utility>

#include "platform/log.h"

namespace kota {
namespace {

// Newest first; std::list keeps each entry's strings at a fixed address for the returned
// pointers.
std::list<std::pair<std::string, std::string>>& aliases() {
  static std::list<std::pair<std::string, std::string>> table;
  return table;
}

std::set<std::string, std::less<>>& interned() {
  static std::set<std::string, std::less<>> table;
  return table;
}

int loose_char(unsigned char c) {
  if (std::isspace(c) || c == '_') return ' ';
  return std::tolower(c);
}

}  // namespace

const char* alias_lookup(const char* name) {
  for (const auto& [alias, value] : aliases()) {
    if (alias == name) return value.c_str();
  }
  return name;
}

bool alias_add(const char* name, const char* value) {
  if (alias_lookup(name) != name) {
    log_printf("Second alias for '%s' ('%s') ignored\n", name, value);
    return false;
  }
  aliases().emplace_front(name, value);
  return true;
}

const char* intern(const char* text) {
  auto& table = interned();
  auto it = table.find(std::string_view(text));
  if (it == table.end()) it = table.emplace(text).first;
  return it->c_str();
}

int names_equal_loosely(const char* a, const char* b) {
  const auto* p = reinterpret_cast<const unsigned char*>(a);
  const auto* q = reinterpret_cast<const unsigned char*>(b);
  for (;; ++p, ++q) {
    int d = loose_char(*p) - loose_char(*q);
    if (d != 0 || *p == 0) return d;
  }
}

}  // namespace kota
