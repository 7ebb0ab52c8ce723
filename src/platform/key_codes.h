// Event codes and the names players use for them: "X", "left ctrl", "0x1f", "GamePad
// button 3", "mouse-left". The configuration stores names; the game works with codes.
#pragma once

#include <cstdint>
#include <optional>

namespace kota {

// The event code a name means, after one alias: exact names first (special, system, built-in),
// then the same names compared loosely, then "0x%x" scan codes up to 0x1ff, then device
// buttons. Nothing when the name means nothing.
std::optional<int32_t> key_code(const char* name);

// The interned name of an event code, or nullptr when no key or device has that code.
const char* key_name(int32_t code);

}  // namespace kota
