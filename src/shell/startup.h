// The game's entry: start-up in its fixed order, the main loop, and shutdown.
#pragma once

namespace br {

// Runs the whole game and returns the process exit status.
int run_game(int argc, char** argv);

}  // namespace br
