// Small makers of menu entries, for the screen builders.
#pragma once

#include <string>
#include <utility>

#include "ui/menu_screen.h"

namespace br {

inline MenuEntry button(std::string label, MenuAction action, int arg = 0) {
  MenuEntry e;
  e.kind = EntryKind::kButton;
  e.label = std::move(label);
  e.action = action;
  e.arg = arg;
  return e;
}

inline MenuEntry open_button(std::string label, MenuId screen) {
  return button(std::move(label), MenuAction::kOpen, screen);
}

inline MenuEntry number_entry(NumberSetting& n, SettingEffect effect = SettingEffect::kNone) {
  MenuEntry e;
  e.kind = EntryKind::kNumber;
  e.label = n.label;
  e.number = &n;
  e.effect = effect;
  return e;
}

inline MenuEntry choice_entry(ChoiceSetting& c, SettingEffect effect = SettingEffect::kNone) {
  MenuEntry e;
  e.kind = EntryKind::kChoice;
  e.label = c.label;
  e.choice = &c;
  e.effect = effect;
  return e;
}

// A choice whose list is long: Enter opens `chooser`, left and right still step through it.
inline MenuEntry chooser_entry(std::string label, ChoiceSetting& c, MenuId chooser,
                               SettingEffect effect = SettingEffect::kNone) {
  MenuEntry e = choice_entry(c, effect);
  e.label = std::move(label);
  e.action = MenuAction::kOpen;
  e.arg = chooser;
  return e;
}

inline MenuEntry text_entry(TextSetting& t, SettingEffect effect = SettingEffect::kNone) {
  MenuEntry e;
  e.kind = EntryKind::kText;
  e.label = t.label;
  e.text = &t;
  e.effect = effect;
  return e;
}

inline MenuEntry note_entry(std::string text) {
  MenuEntry e;
  e.kind = EntryKind::kNote;
  e.label = std::move(text);
  return e;
}

}  // namespace br
