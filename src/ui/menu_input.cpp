#include <algorithm>

#include "ui/binding_capture.h"
#include "ui/menu.h"
#include "ui/menu_actions.h"
#include "ui/menu_layout.h"
#include "ui/menu_screens.h"
#include "ui/console_input.h"
#include "ui/typed_text.h"

namespace br {
namespace {

constexpr int kDragPixelsPerStep = 8;

bool is_any(int32_t code, std::initializer_list<int> codes) {
  return std::find(codes.begin(), codes.end(), code) != codes.end();
}

// The highlighted entry stays on a line that can be highlighted.
int settled_selection(const MenuScreen& s, int selection) {
  int count = static_cast<int>(s.entries.size());
  if (selection >= 0 && selection < count && s.entries[selection].selectable()) return selection;
  for (int i = 0; i < count; ++i) {
    if (s.entries[i].selectable()) return i;
  }
  return 0;
}

// Up (-1) or down (+1) to the next line that can be highlighted, round the ends.
int moved_selection(const MenuScreen& s, int selection, int direction) {
  int count = static_cast<int>(s.entries.size());
  for (int n = 1; n <= count; ++n) {
    int i = ((selection + n * direction) % count + count) % count;
    if (s.entries[i].selectable()) return i;
  }
  return selection;
}

int entry_under_mouse(const World& w, const MenuScreen& s) {
  MenuLayout layout = menu_layout(s, w.frame_width, w.frame_height);
  return menu_entry_at(s, layout, static_cast<float>(w.mouse_x), static_cast<float>(w.mouse_y));
}

// The server name's history, newest first: up goes to older names, down back to newer ones
// and at last to what was typed.
void step_server_history(World& w, TextSetting& t, int direction) {
  MenuState& st = w.menu_state;
  const std::vector<TextSetting>& hist = w.settings.server_name_hist;
  int pos = st.history_position;
  for (;;) {
    pos += direction;
    if (pos < 0) {
      st.history_position = -1;
      t.value = st.text_before;
      return;
    }
    if (pos >= static_cast<int>(hist.size())) return;
    if (!hist[static_cast<size_t>(pos)].value.empty()) break;
  }
  st.history_position = pos;
  t.value = hist[static_cast<size_t>(pos)].value.substr(0, t.max_length);
}

void edit_key(World& w, const MenuScreen& s, int32_t code) {
  const MenuKeys& k = w.menu_keys;
  MenuState& st = w.menu_state;
  const MenuEntry& e = s.entries[static_cast<size_t>(st.editing)];
  if (is_any(code, {k.enter, k.keypad_enter})) {
    end_text_edit(w, s, true);
  } else if (code == k.esc) {
    end_text_edit(w, s, false);
  } else if (is_backspace_key(code)) {
    text_backspace(*e.text);
  } else if (e.text == &w.settings.server_name && is_any(code, {k.up, k.down})) {
    step_server_history(w, *e.text, code == k.up ? +1 : -1);
  } else if (char c = typed_char(code, st.shift_held)) {
    text_type(*e.text, c);
  }
}

// A mouse button that came up: a click acts on the entry it went down on.
void release(World& w, const MenuScreen& s, int32_t code) {
  MenuState& st = w.menu_state;
  if (code != w.menu_keys.cursor_left) return;
  int down = st.mouse_down_entry;
  bool dragged = st.dragged;
  st.mouse_down_entry = -1;
  st.dragged = false;
  if (down >= 0 && !dragged && entry_under_mouse(w, s) == down) activate_entry(w, s, down);
}

}  // namespace

void menu_open(World& w, int id) {
  MenuState& st = w.menu_state;
  st.trail.clear();
  st.page = 0;
  st.editing = -1;
  st.notice.clear();
  w.menu = id;
  w.menu_selection = settled_selection(build_menu_screen(w, id), 0);
}

void menu_close(World& w) {
  end_binding_capture(w);
  MenuState& st = w.menu_state;
  st.trail.clear();
  st.editing = -1;
  st.mouse_down_entry = -1;
  st.notice.clear();
  w.menu = kNoMenu;
  w.menu_selection = 0;
}

MenuScreen open_menu_screen(World& w) {
  return build_menu_screen(w, w.menu);
}

void menu_key(World& w, int32_t code, bool pressed) {
  MenuState& st = w.menu_state;
  if (is_shift_key(code)) {
    st.shift_held = pressed;
    return;
  }
  if (w.menu == kMenuChat) {
    console_key(w, code, pressed);
    return;
  }
  if (w.menu == kMenuDisclaimer) {
    if (pressed) menu_open(w, kMenuMain);
    return;
  }
  MenuScreen s = open_menu_screen(w);
  w.menu_selection = settled_selection(s, w.menu_selection);
  if (!pressed) {
    release(w, s, code);
    return;
  }
  const MenuKeys& k = w.menu_keys;
  bool back = code == k.esc;
  if (w.menu == kMenuQuit) {
    // Any key leaves the game; Esc keeps playing.
    if (back) {
      menu_back(w);
    } else {
      w.loop.quit_requested = true;
    }
    return;
  }
  if (st.editing >= 0 && st.editing < static_cast<int>(s.entries.size())) {
    // A click elsewhere ends typing and keeps the text.
    if (code != k.cursor_left && code != k.cursor_right) {
      edit_key(w, s, code);
      return;
    }
    end_text_edit(w, s, true);
  }
  if (s.entries.empty() && !back) return;
  const MenuEntry* selected = s.entries.empty() ? nullptr : &s.entries[w.menu_selection];

  if (back) {
    menu_back(w);
  } else if (code == k.up) {
    w.menu_selection = moved_selection(s, w.menu_selection, -1);
  } else if (code == k.down) {
    w.menu_selection = moved_selection(s, w.menu_selection, +1);
  } else if (code == k.left) {
    adjust_entry(w, *selected, -1);
  } else if (code == k.right) {
    adjust_entry(w, *selected, +1);
  } else if (code == k.page_up) {
    st.page = std::max(st.page - 1, 0);
  } else if (code == k.page_down) {
    st.page = std::min(st.page + 1, s.pages - 1);
  } else if (is_any(code, {k.enter, k.keypad_enter})) {
    activate_entry(w, s, w.menu_selection);
  } else if (code == k.cursor_left) {
    int under = entry_under_mouse(w, s);
    st.mouse_down_entry = under;
    st.dragged = false;
    st.drag_pixels = 0;
    if (under >= 0) w.menu_selection = under;
  } else if (code == k.cursor_right) {
    // The other button steps back, as left does.
    int under = entry_under_mouse(w, s);
    if (under >= 0) {
      w.menu_selection = under;
      adjust_entry(w, s.entries[static_cast<size_t>(under)], -1);
    }
  }
}

void menu_mouse_moved(World& w) {
  if (w.menu == kNoMenu) return;
  MenuScreen s = open_menu_screen(w);
  int under = entry_under_mouse(w, s);
  if (under >= 0) w.menu_selection = under;
}

void menu_drag(World& w, int dx) {
  MenuState& st = w.menu_state;
  if (w.menu == kNoMenu || st.mouse_down_entry < 0) return;
  MenuScreen s = open_menu_screen(w);
  if (st.mouse_down_entry >= static_cast<int>(s.entries.size())) return;
  const MenuEntry& e = s.entries[static_cast<size_t>(st.mouse_down_entry)];
  if (e.kind != EntryKind::kNumber) return;
  st.drag_pixels += dx;
  while (std::abs(st.drag_pixels) >= kDragPixelsPerStep) {
    int direction = st.drag_pixels > 0 ? 1 : -1;
    adjust_entry(w, e, direction);
    st.drag_pixels -= direction * kDragPixelsPerStep;
    st.dragged = true;
  }
}

}  // namespace br
