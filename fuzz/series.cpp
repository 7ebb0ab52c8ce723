// Points series and their standings, as the game reads them at start-up and shows them: the
// input is a ".series" text, then (after the first NUL byte, when there is one) its standings
// file. Tracks are looked up in a short list, of which the input can name any.
#include "race/series.h"

#include <cstdlib>
#include <cstring>
#include <optional>

#include "fuzz_support.h"

namespace {

std::optional<int> lookup(const std::string& dir) {
  static const char* const kTracks[] = {"rabbithill", "foundry", "t"};
  for (int i = 0; i < 3; ++i) {
    if (dir == kTracks[i]) return i;
  }
  return std::nullopt;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text = br_fuzz::as_text(data, size);
  std::string_view standings;
  if (size_t nul = text.find('\0'); nul != std::string_view::npos) {
    standings = text.substr(nul + 1);
    text = text.substr(0, nul);
  }
  std::optional<br::Series> s = br::parse_series(text, "fuzz.series", lookup, false);
  if (!s) return 0;
  s->completed = br::parse_standings(standings, *s);
  if (s->completed < 0 || s->completed > static_cast<int>(s->events.size())) std::abort();
  br::compute_round_ranks(*s);

  // What is written must read back to the same places.
  std::string written = br::format_standings(*s);
  br::Series again = *s;
  if (br::parse_standings(written, again) != s->completed) std::abort();
  for (int e = 0; e < s->completed; ++e) {
    if (again.events[size_t(e)].places != s->events[size_t(e)].places) std::abort();
  }

  br::standings_title(*s);
  br::standings_header(*s);
  br::standings_rows(*s, "7");
  br::series_lineup(*s);
  br::reset_series(*s);
  return 0;
}
