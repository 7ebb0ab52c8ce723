// Each race's results, kept by the server in its home directory: "results/race%05u.txt",
// laid out like the game's own results file with the riders' names added.
#pragma once

#include <string>

#include "server.h"

namespace brserver {

// The text of the results as they stand. `date` is seconds since 1970.
std::string race_results_text(const Server& s, long date);

// Writes the current race's results; the file's data name, or "" when it could not be
// written.
std::string write_race_results(Server& s);

}  // namespace brserver
