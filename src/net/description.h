// A rider's description as the protocol carries it: "bike|rider|bike tex|wheel|head\n
// number\nname", or "bike\nnumber\nname" when the textures would not fit.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "world/world.h"

namespace br {

constexpr size_t kMaxNameChars = 63;
constexpr size_t kMaxNumberChars = 3;
constexpr size_t kMaxFieldChars = 255;  // a model or texture name

std::string description_text(const RiderIdentity& r);

// The identity a description names. Refused: a wrong number of parts, a bike model or
// texture that is not a plain data name (no "..", no leading "/", nothing outside letters,
// digits and "_-.()@/"), fields beyond their lengths. Control characters in the name become
// "?"; the number is cut to three characters.
std::optional<RiderIdentity> parse_description(std::string_view text);

// Text for a log, a console or a results file: control characters become "?" and the text
// stops at `limit` bytes.
std::string printable_text(std::string_view text, size_t limit);

// Names a file may be sent under: letters, digits, "_" and "." only.
bool upload_name_allowed(std::string_view name);

}  // namespace br
