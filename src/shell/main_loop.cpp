#include "shell/main_loop.h"

#include "audio/world_sound.h"
#include "files/messages.h"
#include "race/flagger_race.h"
#include "race/session.h"
#include "render/terrain_lod.h"
#include "shell/controls.h"
#include "ui/menu.h"

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

void follow_mouse_in_menu(World& w, int old_x, int old_y) {
  if (w.menu == kNoMenu || (w.mouse_x == old_x && w.mouse_y == old_y)) return;
  if (!w.mouse_left) {
    if (w.capturing_binding < 0) menu_mouse_moved(w);
  } else {
    menu_drag(w, w.mouse_x - old_x);
  }
}

void main_loop(World& w, const MainLoopHooks& hooks) {
  // The first reading finds the mouse wherever it is; only later ones are movements.
  bool mouse_known = false;
  for (;;) {
    if (w.loop.quit_requested) break;
    settle_view_mode(w);
    // The marshals change their flags before the frame shows them.
    update_session_flaggers(w);
    if (hooks.draw_frame && !hooks.draw_frame(w)) break;
    w.loop.frames_drawn += 1;
    update_world_sound(w);
    if (hooks.quit_after_frames > 0 && w.loop.frames_drawn >= hooks.quit_after_frames) {
      w.loop.quit_requested = true;
    }
    double now = frame_advance(w, hooks.clock);
    int old_x = w.mouse_x, old_y = w.mouse_y;
    read_mouse_axes(w);
    if (mouse_known) follow_mouse_in_menu(w, old_x, old_y);
    mouse_known = true;
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
