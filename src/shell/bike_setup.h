// The bike setup block of the configuration file and the rider gear texture choices.
#pragma once

#include <string>
#include <vector>

#include "world/settings.h"

namespace br {

// The setup's settings in the order the file holds them: identity, steering assists,
// riding aids, machine and rider.
std::vector<SettingRef> setup_items(BikeSetup& setup);

// Reads one configuration line's key and value if the key belongs to the bike setup; false
// when it does not. Reading `bike` picks the model's texture list; reading `stability`
// applies its preset, so the assist values that follow it in the file win.
bool setup_read_key(Settings& s, const char* key, const char* value);

// The same with `items` from setup_items(s.setup), for readers of many lines, which build the
// list once per file rather than once per line.
bool setup_read_key(Settings& s, const std::vector<SettingRef>& items, const char* key,
                    const char* value);

// Appends the setup block, one "key=value\n" line per setting.
void setup_write(BikeSetup& setup, std::string& out);

// Fills the four gear choices from `s.gear_textures`: names beginning with "rider_body-",
// "rider_head-", the chosen bike model's texture prefix and "wheels-". Each choice starts on
// its first entry.
void build_gear_texture_choices(Settings& s);

// Offers the textures of the chosen model and selects the first.
void rebuild_bike_texture_choice(Settings& s);

}  // namespace br
