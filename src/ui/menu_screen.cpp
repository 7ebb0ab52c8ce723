#include "ui/menu_screen.h"

#include <cmath>
#include <cstdio>

namespace br {
namespace {

// Drawn after the text being typed, where the next character goes.
constexpr char kTextCursor = '_';

std::string number_text(double v) {
  char buf[64];
  // Six significant digits show every step of the settings (0.03125, 0.0625) without the
  // trailing zeros of "%f".
  std::snprintf(buf, sizeof buf, "%.6g", v);
  return buf;
}

}  // namespace

std::string entry_value_text(const MenuEntry& e, bool editing) {
  switch (e.kind) {
    case EntryKind::kNumber:
      return e.number ? number_text(e.number->value) : "";
    case EntryKind::kChoice:
      if (!e.choice) return "";
      if (e.choice->index >= 0 && e.choice->index < static_cast<int>(e.shown.size())) {
        return e.shown[static_cast<size_t>(e.choice->index)];
      }
      return e.choice->text();
    case EntryKind::kText:
      if (!e.text) return "";
      return editing ? e.text->value + kTextCursor : e.text->value;
    case EntryKind::kBinding:
      if (!e.binding) return "";
      return e.binding->key_name.empty() ? e.binding->axis_name : e.binding->key_name;
    default:
      return "";
  }
}

void number_step(NumberSetting& n, int direction) {
  // Stepping from a value between steps (a file may hold any value) lands on the range's
  // grid, so that the same key presses always give the same values.
  double steps = (n.value - n.min) / n.step;
  double target = n.step > 0 ? n.min + (std::round(steps) + direction) * n.step : n.value;
  if (n.step > 0 && std::fabs(steps - std::round(steps)) > 1e-9) {
    target = n.min + (direction > 0 ? std::ceil(steps) : std::floor(steps)) * n.step;
  }
  number_set(n, target);
}

void choice_step(ChoiceSetting& c, int direction) {
  int count = static_cast<int>(c.texts.size());
  if (count == 0) return;
  c.index = ((c.index + direction) % count + count) % count;
}

bool text_type(TextSetting& t, char c) {
  if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7e) return false;
  if (t.value.size() >= t.max_length) return false;
  t.value.push_back(c);
  return true;
}

void text_backspace(TextSetting& t) {
  if (!t.value.empty()) t.value.pop_back();
}

}  // namespace br
