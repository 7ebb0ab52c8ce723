#include "ui/menu_layout.h"

#include <algorithm>

namespace br {
namespace {

// Shares of the frame: the panel's margins and the largest and smallest line heights.
constexpr float kSideMargin = 0.08f;
constexpr float kTopMargin = 0.04f;
constexpr float kBottomMargin = 0.04f;
constexpr float kTitleShare = 1.0f / 12;
constexpr float kLargestLine = 1.0f / 22;
constexpr float kSmallestLinePixels = 9.0f;  // below this the letters run together
constexpr float kLabelIndent = 0.04f;        // of the frame's width, inside the panel
constexpr float kValueColumn = 0.55f;        // of the frame's width

void stack(std::vector<MenuRow>& rows, size_t count, float& y, float line) {
  rows.clear();
  for (size_t i = 0; i < count; ++i) {
    rows.push_back({y, line});
    y += line;
  }
}

}  // namespace

MenuLayout menu_layout(const MenuScreen& screen, int width, int height) {
  MenuLayout l;
  float w = static_cast<float>(std::max(width, 1));
  float h = static_cast<float>(std::max(height, 1));
  l.left = kSideMargin * w;
  l.right = w - kSideMargin * w;
  l.label_x = l.left + kLabelIndent * w;
  l.value_x = kValueColumn * w;
  l.title_top = kTopMargin * h;
  l.title_height = kTitleShare * h;

  // Every line of the screen shares one height: as large as reads well, as small as fits.
  size_t table_lines = screen.table.headings.empty() ? 0 : screen.table.rows.size() + 1;
  size_t lines = screen.entries.size() + screen.notes.size() + table_lines;
  size_t gaps = (screen.notes.empty() ? 0 : 1) + (table_lines ? 1 : 0) + 1;  // + the notice
  float top = l.title_top + 1.5f * l.title_height;
  float room = h * (1 - kBottomMargin) - top;
  l.line = std::max(kSmallestLinePixels,
                    std::min(kLargestLine * h, room / static_cast<float>(lines + gaps + 1)));

  float y = top;
  stack(l.entries, screen.entries.size(), y, l.line);
  if (!screen.notes.empty()) y += l.line;
  stack(l.notes, screen.notes.size(), y, l.line);
  if (table_lines) y += l.line;
  stack(l.table, table_lines, y, l.line);
  l.notice = {y + 0.5f * l.line, l.line};
  return l;
}

int menu_entry_at(const MenuScreen& screen, const MenuLayout& layout, float x, float y) {
  if (x < layout.left || x > layout.right) return -1;
  for (size_t i = 0; i < layout.entries.size() && i < screen.entries.size(); ++i) {
    const MenuRow& r = layout.entries[i];
    if (y >= r.top && y < r.top + r.height && screen.entries[i].selectable()) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

}  // namespace br
