// The texts shown while a session is set up or a track loads ("Resetting...", "Loading
// bikes...", "Loading track..."). The main loop draws nothing meanwhile, so each text is drawn
// on the title screen and presented at once by the presenter the game installs. Without one
// (no window, headless runs) nothing is shown.
#pragma once

#include <functional>
#include <string_view>

namespace br {

using ProgressPresenter = std::function<void(std::string_view text)>;

void set_progress_presenter(ProgressPresenter presenter);
void show_progress_text(std::string_view text);

}  // namespace br
