#include <epoxy/gl.h>

#include <algorithm>
#include <array>
#include <string>

#include "render/font.h"
#include "render/pixel_projection.h"
#include "render/text_draw.h"
#include "ui/console_input.h"
#include "ui/menu.h"
#include "ui/menu_draw.h"
#include "ui/menu_layout.h"

namespace br {
namespace {

using Colour = std::array<float, 4>;

constexpr Colour kDimming = {0.0f, 0.02f, 0.05f, 0.55f};  // over the whole frame
constexpr Colour kPanel = {0.05f, 0.1f, 0.2f, 0.6f};
constexpr Colour kHighlight = {0.85f, 0.42f, 0.08f, 0.85f};
constexpr Colour kTitle = {1.0f, 0.8f, 0.3f, 1.0f};
constexpr Colour kLabel = {1.0f, 1.0f, 1.0f, 1.0f};
constexpr Colour kMarked = {0.55f, 1.0f, 0.45f, 1.0f};
constexpr Colour kValue = {1.0f, 0.92f, 0.55f, 1.0f};
constexpr Colour kDetail = {0.6f, 0.85f, 1.0f, 1.0f};
constexpr Colour kUnavailable = {1.0f, 0.4f, 0.35f, 1.0f};
constexpr Colour kNote = {0.75f, 0.8f, 0.85f, 1.0f};
constexpr Colour kNotice = {1.0f, 0.85f, 0.2f, 1.0f};
constexpr float kTextShare = 0.8f;  // of a line's height; the rest keeps lines apart
constexpr float kDetailGap = 1.0f;  // line heights between a value and its detail

// Layout rows count from the top; the frame's pixels from the bottom.
struct Frame {
  float height;
  float bottom(const MenuRow& r) const { return height - r.top - r.height; }
};

// Text `size` pixels high with its left end at x, in the middle of the row.
float text_at(const Frame& f, const MenuRow& row, float x, float size, const Colour& c,
              const std::string& text) {
  float y = f.bottom(row) + 0.5f * (row.height - size);
  glPushMatrix();
  glTranslatef(x, y, 0);
  glScalef(size, size, 1);
  text_draw(c[0], c[1], c[2], c[3], text);
  glPopMatrix();
  return text_width(game_fonts().main, text) * size;
}

void centred_at(const Frame& f, const MenuRow& row, float left, float right, float size,
                const Colour& c, const std::string& text) {
  float y = f.bottom(row) + 0.5f * (row.height - size);
  glPushMatrix();
  glTranslatef(0, y, 0);
  glScalef(size, size, 1);
  text_draw_centred(c[0], c[1], c[2], c[3], left / size, right / size, text);
  glPopMatrix();
}

void draw_entry(const World& w, const MenuEntry& e, int index, const MenuLayout& l,
                const Frame& f) {
  const MenuRow& row = l.entries[static_cast<size_t>(index)];
  float size = kTextShare * l.line;
  bool highlighted = index == w.menu_selection && e.selectable();
  if (highlighted) {
    fill_pixel_rect(kHighlight, l.left, f.bottom(row), l.right, f.bottom(row) + row.height);
  }
  const Colour& label_colour = e.kind == EntryKind::kNote ? kNote : e.marked ? kMarked : kLabel;
  text_at(f, row, l.label_x, size, label_colour, e.label);

  std::string value;
  if (e.kind == EntryKind::kBinding && w.capturing_binding == e.arg) {
    value = "Press a key or move a control (Esc cancels)";
  } else {
    value = entry_value_text(e, w.menu_state.editing == index);
  }
  float x = l.value_x;
  if (!value.empty()) x += text_at(f, row, x, size, kValue, value) + kDetailGap * size;
  if (!e.detail.empty()) {
    const Colour& c = e.detail == "Not Available" ? kUnavailable : kDetail;
    text_at(f, row, std::max(x, l.value_x), size, c, e.detail);
  }
}

void draw_table(const MenuTable& t, const MenuLayout& l, const Frame& f) {
  if (t.headings.empty() || l.table.empty()) return;
  float size = kTextShare * l.line;
  float column = (l.label_x < l.right ? l.right - l.label_x : 0) / t.headings.size();
  for (size_t c = 0; c < t.headings.size(); ++c) {
    text_at(f, l.table[0], l.label_x + c * column, size, kTitle, t.headings[c]);
  }
  for (size_t r = 0; r < t.rows.size() && r + 1 < l.table.size(); ++r) {
    for (size_t c = 0; c < t.rows[r].size() && c < t.headings.size(); ++c) {
      text_at(f, l.table[r + 1], l.label_x + c * column, size, kLabel, t.rows[r][c]);
    }
  }
}

// The chat line: one band across the lower part of the frame, clear of the messages at the
// top and of the instruments at the bottom.
void draw_chat_line(const World& w, int width, int height) {
  float line = std::max(12.0f, height / 24.0f);
  MenuRow row{0.7f * height, line};
  Frame f{static_cast<float>(height)};
  fill_pixel_rect(kPanel, 0, f.bottom(row), static_cast<float>(width), f.bottom(row) + row.height);
  text_at(f, row, 0.5f * line, kTextShare * line, kLabel, console_prompt_text(w));
}

}  // namespace

void menu_draw(World& w, int width, int height) {
  if (w.menu == kNoMenu || width <= 0 || height <= 0) return;
  if (w.menu == kChatMenu) {
    PixelProjection projection(width, height);
    draw_chat_line(w, width, height);
    return;
  }
  MenuScreen s = open_menu_screen(w);
  MenuLayout l = menu_layout(s, width, height);
  Frame f{static_cast<float>(height)};
  PixelProjection projection(width, height);

  fill_pixel_rect(kDimming, 0, 0, static_cast<float>(width), static_cast<float>(height));
  if (s.entries.empty() && s.notes.empty()) {
    // A question on its own: in the middle of the frame.
    MenuRow middle{0.5f * (height - l.title_height), l.title_height};
    centred_at(f, middle, 0, static_cast<float>(width), 0.6f * l.title_height, kTitle, s.title);
    return;
  }
  // The panel holds everything under the title, down to the notice line.
  float panel_top = l.title_top + l.title_height;
  float panel_bottom = l.notice.top + l.notice.height + 0.5f * l.line;
  fill_pixel_rect(kPanel, l.left, f.height - panel_bottom, l.right, f.height - panel_top);
  centred_at(f, {l.title_top, l.title_height}, 0, static_cast<float>(width),
             kTextShare * l.title_height, kTitle, s.title);
  for (size_t i = 0; i < s.entries.size(); ++i)
    draw_entry(w, s.entries[i], static_cast<int>(i), l, f);
  for (size_t i = 0; i < s.notes.size(); ++i) {
    text_at(f, l.notes[i], l.label_x, kTextShare * l.line, kNote, s.notes[i]);
  }
  draw_table(s.table, l, f);
  if (!w.menu_state.notice.empty()) {
    centred_at(f, l.notice, l.left, l.right, kTextShare * l.line, kNotice, w.menu_state.notice);
  }
}

}  // namespace br
