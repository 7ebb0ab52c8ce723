#include "ui/console_input.h"

#include <algorithm>

#include "files/messages.h"
#include "platform/event_queue.h"
#include "ui/console.h"
#include "ui/console_text.h"
#include "ui/menu.h"
#include "ui/typed_text.h"

namespace br {
namespace {

// Editing keys that the menus do not use, by scan code.
constexpr int32_t kTabKey = kota::kEventKeyBase + 0x0F;
constexpr int32_t kHomeKey = kota::kEventKeyBase + 0x147;
constexpr int32_t kEndKey = kota::kEventKeyBase + 0x14F;
constexpr int32_t kDeleteKey = kota::kEventKeyBase + 0x153;
// Bytes of a long line shown around the cursor: what fits across a window.
constexpr size_t kPromptBeforeCursor = 90;
constexpr size_t kPromptAfterCursor = 20;

void set_line(ConsoleState& c, std::string text) {
  c.line = std::move(text);
  c.cursor = c.line.size();
}

void close_line(World& w) {
  ConsoleState& c = w.console;
  c.line.clear();
  c.cursor = 0;
  c.history_position = -1;
  c.draft.clear();
  menu_close(w);
}

void insert(ConsoleState& c, char ch) {
  if (c.line.size() >= kConsoleLineMax) return;
  c.line.insert(c.cursor, 1, ch);
  ++c.cursor;
}

}  // namespace

void console_enter(World& w) {
  ConsoleState& c = w.console;
  std::string line = c.line;
  if (!trimmed(line).empty() && (c.history.empty() || c.history.back() != line)) {
    c.history.push_back(line);
    if (c.history.size() > kConsoleHistoryLines) c.history.erase(c.history.begin());
  }
  close_line(w);
  if (!trimmed(line).empty()) console_line(w, line);
}

void console_complete(World& w) {
  ConsoleState& c = w.console;
  if (c.line.empty() || (c.line[0] != '/' && c.line[0] != '\\') || c.cursor != c.line.size()) {
    return;
  }
  std::string begun = c.line.substr(1);
  if (begun.find_first_of(" \t") != std::string::npos) return;
  std::vector<std::string> fits;
  for (const std::string& word : console_words()) {
    if (word.compare(0, begun.size(), begun) == 0) fits.push_back(word);
  }
  if (fits.empty()) return;
  if (fits.size() == 1) {
    // Words that take arguments get their separating space.
    set_line(c, c.line.substr(0, 1) + fits[0] + (console_word_takes_arguments(fits[0]) ? " " : ""));
    return;
  }
  std::string common = fits[0];
  for (const std::string& word : fits) {
    size_t n = 0;
    while (n < common.size() && n < word.size() && common[n] == word[n]) ++n;
    common.resize(n);
  }
  set_line(c, c.line.substr(0, 1) + common);
  std::string list;
  for (const std::string& word : fits) list += (list.empty() ? "" : " ") + word;
  show_message("%s", list.c_str());
}

void console_browse(World& w, int direction) {
  ConsoleState& c = w.console;
  int count = static_cast<int>(c.history.size());
  if (count == 0) return;
  int position = c.history_position;
  if (position < 0) {
    if (direction > 0) return;
    c.draft = c.line;
    position = count;
  }
  position += direction;
  if (position < 0) position = 0;
  if (position >= count) {
    c.history_position = -1;
    set_line(c, c.draft);
    return;
  }
  c.history_position = position;
  set_line(c, c.history[static_cast<size_t>(position)]);
}

void console_key(World& w, int32_t code, bool pressed) {
  if (!pressed) return;
  ConsoleState& c = w.console;
  const MenuKeys& k = w.menu_keys;
  c.cursor = std::min(c.cursor, c.line.size());
  if (code == k.esc) {
    close_line(w);
  } else if (code == k.enter || code == k.keypad_enter) {
    console_enter(w);
  } else if (code == kTabKey) {
    console_complete(w);
  } else if (code == k.up) {
    console_browse(w, -1);
  } else if (code == k.down) {
    console_browse(w, +1);
  } else if (code == k.left) {
    c.cursor = utf8_previous(c.line, c.cursor);
  } else if (code == k.right) {
    c.cursor += utf8_char_length(c.line, c.cursor);
  } else if (code == kHomeKey) {
    c.cursor = 0;
  } else if (code == kEndKey) {
    c.cursor = c.line.size();
  } else if (is_backspace_key(code)) {
    size_t start = utf8_previous(c.line, c.cursor);
    c.line.erase(start, c.cursor - start);
    c.cursor = start;
  } else if (code == kDeleteKey) {
    c.line.erase(c.cursor, utf8_char_length(c.line, c.cursor));
  } else if (char ch = typed_char(code, w.menu_state.shift_held)) {
    insert(c, ch);
  }
}

std::string console_prompt_text(const World& w) {
  const ConsoleState& c = w.console;
  size_t cursor = std::min(c.cursor, c.line.size());
  // A long line shows the part around the cursor, which is what is being typed.
  size_t from = cursor > kPromptBeforeCursor ? cursor - kPromptBeforeCursor : 0;
  while (from > 0 && from < cursor && utf8_previous(c.line, from + 1) != from) ++from;
  size_t after = std::min(c.line.size() - cursor, kPromptAfterCursor);
  while (cursor + after < c.line.size() && utf8_previous(c.line, cursor + after + 1) != cursor + after)
    --after;
  return std::string("Say: ") + (from > 0 ? "..." : "") + c.line.substr(from, cursor - from) +
         "_" + c.line.substr(cursor, after);
}

}  // namespace br
