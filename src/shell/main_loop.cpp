#include "shell/main_loop.h"

#include "files/messages.h"
#include "race/flagger_race.h"
#include "race/session.h"
#include "render/terrain_lod.h"
#include "shell/controls.h"

namespace br {

void settle_view_mode(World& w) {
  if (w.view_mode == kViewTitle && w.session.loaded) w.view_mode = kViewRider;
  const RiderSlot& viewed = w.slots[w.viewed_slot];
  if (viewed.control == kControlLocal && w.view_mode != kViewRider && w.view_mode != kViewChase &&
      w.view_mode != kViewEditor) {
    w.view_mode = kViewRider;
  }
  if (!viewed.bike) w.view_mode = kViewCameraTour;
  if (!w.session.loaded) w.view_mode = kViewTitle;
}

void main_loop(World& w, const MainLoopHooks& hooks) {
  for (;;) {
    if (w.loop.quit_requested) break;
    settle_view_mode(w);
    // The marshals change their flags before the frame shows them.
    update_session_flaggers(w);
    if (hooks.draw_frame && !hooks.draw_frame(w)) break;
    w.loop.frames_drawn += 1;
    if (hooks.quit_after_frames > 0 && w.loop.frames_drawn >= hooks.quit_after_frames) {
      w.loop.quit_requested = true;
    }
    double now = frame_advance(w, hooks.clock);
    read_mouse_axes(w);
    follow_input_devices(w);
    step_loop(w, now, hooks.events);
    if (w.view_mode != kViewTitle) {
      warp_restart(w);
      // Ruts dug this frame reach the terrain's detail a few frames later, never in one hitch.
      terrain_lod_update(w.track.lod, kTerrainLodFrameBudget);
      expire_messages(w);
    }
  }
}

}  // namespace br
