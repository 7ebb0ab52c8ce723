#include <epoxy/gl.h>

#include <algorithm>
#include <cmath>

#include "bike/bike.h"
#include "bike/controls.h"
#include "platform/log.h"
#include "render/overlay_draw.h"
#include "render/pixel_projection.h"
#include "render/text_draw.h"

namespace br {
namespace {

// The overlay is laid out in units of a 640 x 480 frame; sizes below are in those units.
constexpr float kBaseWidth = 640, kBaseHeight = 480;
constexpr float kMargin = 8;
constexpr float kInfoLine = 14;

// The pitboard picture's board, drawn at 0.6227 of the overlay scale: 256 pixels wide and
// rows 0.1875 to 0.875 of its 256.
constexpr float kBoardScale = 0.6227f;
constexpr float kBoardPictureSize = 256;
constexpr float kBoardTop = 0.1875f, kBoardBottom = 0.875f;
constexpr float kBoardInset = 12;
constexpr float kBoardNumberLine = 26;
constexpr float kBoardLine = 16.5f;
constexpr float kCloseLine = 13;

// The tachometer picture reads 0 to 14000 rpm clockwise over 270 degrees from the lower left;
// the shifter picture is a strip of 7 boxes, neutral then the gears, 36 pixels apart.
constexpr float kTachSize = 96;
constexpr float kTachFullScaleRpm = 14000;
constexpr float kTachStartDegrees = 135, kTachSweepDegrees = 270;
constexpr float kNeedleLength = 0.42f;  // of the dial
constexpr float kNeedleWidth = 2.5f;
constexpr int kShifterBoxes = 7;
constexpr float kShifterPictureWidth = 256, kShifterFirstPixel = 2, kShifterPitch = 36;
constexpr float kShifterBoxWidth = 34;
constexpr float kShifterTop = 8.0f / 64, kShifterBottom = 56.0f / 64;
constexpr float kGearBoxWidth = 28, kGearBoxHeight = 40;

constexpr float kTableWidth = 300;
constexpr float kTableTop = 40;  // below the frame's top
constexpr float kTitleLine = 20;
constexpr float kRowLine = 13;
constexpr float kHeadLine = kTitleLine / 2;  // the heads at half the title's size
// Where each column starts, from the table's left.
constexpr float kColumns[] = {6, 34, 70, 114, 180, 258};

constexpr float kTickerLine = 14;
constexpr float kTickerBand = 20;
// Where each part of a ticker cell starts, in line heights from the cell's left.
constexpr float kTickerParts[] = {0.5f, 2.5f, 5.0f, 12.5f, 16.0f};

constexpr TextColour kWhite{1, 1, 1, 1};
constexpr TextColour kGrey{0.75f, 0.75f, 0.75f, 1};
constexpr TextColour kRed{1, 0.2f, 0.2f, 1};

std::vector<DrawnText> g_drawn;

// A run of text whose first line's bottom is at (x, y) pixels, `line` pixels high, with the
// drop shadow that keeps it readable over a bright sky or a dark berm.
void text_at(std::string_view text, float x, float y, float line, const TextColour& c) {
  if (text.empty() || line <= 0) return;
  g_drawn.push_back({std::string(text), x, y, line});
  glPushMatrix();
  glTranslatef(x, y, 0);
  glScalef(line, line, 1);
  text_draw_centred(c[0], c[1], c[2], c[3], 0, text_width(game_fonts().main, text), text);
  glPopMatrix();
}

float width_of(std::string_view text, float line) {
  return text_width(game_fonts().main, text) * line;
}

void fill_rect(float x0, float y0, float x1, float y1, float grey, float alpha) {
  fill_pixel_rect({grey, grey, grey, alpha}, x0, y0, x1, y1);
}

// The part of `texture` from (left, top) to (right, bottom) in texture coordinates, the top
// being the smaller v, over the pixels (x0, y0) to (x1, y1).
void picture(TextureId texture, float x0, float y0, float x1, float y1, float left, float top,
             float right, float bottom) {
  glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_CURRENT_BIT | GL_TEXTURE_BIT);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_CULL_FACE);
  glDisable(GL_LIGHTING);
  glEnable(GL_TEXTURE_2D);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glBindTexture(GL_TEXTURE_2D, texture);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  glColor4f(1, 1, 1, 1);
  glBegin(GL_QUADS);
  glTexCoord2f(left, bottom);
  glVertex2f(x0, y0);
  glTexCoord2f(right, bottom);
  glVertex2f(x1, y0);
  glTexCoord2f(right, top);
  glVertex2f(x1, y1);
  glTexCoord2f(left, top);
  glVertex2f(x0, y1);
  glEnd();
  glPopAttrib();
}

// Top right, where a crew holds the board out over the fence.
void draw_pitboard(const World& w, const Pitboard& board, int width, int height, float u) {
  float board_w = kBoardPictureSize * kBoardScale * u;
  float board_h = kBoardPictureSize * (kBoardBottom - kBoardTop) * kBoardScale * u;
  float x1 = width - kMargin * u, y1 = height - kMargin * u;
  float x0 = x1 - board_w, y0 = y1 - board_h;
  if (w.hud.pitboard) {
    picture(w.hud.pitboard, x0, y0, x1, y1, 0, kBoardTop, 1, kBoardBottom);
  } else {
    fill_rect(x0, y0, x1, y1, 0.1f, 0.85f);
  }

  float number_line = kBoardNumberLine * u;
  float y = y1 - kBoardInset * u * 0.75f - number_line;
  text_at(board.number, 0.5f * (x0 + x1 - width_of(board.number, number_line)), y, number_line,
          kWhite);
  float line = kBoardLine * u, left = x0 + kBoardInset * u;
  for (const std::string* text : {&board.place, &board.gap, &board.last, &board.best}) {
    if (text->empty()) continue;
    y -= line;
    text_at(*text, left, y, line, kWhite);
  }

  if (board.close.empty()) return;
  float close_line = kCloseLine * u;
  float bar_w = width_of(board.close, close_line) + close_line;
  float bar_top = y0 - 0.5f * kMargin * u;
  fill_rect(x1 - bar_w, bar_top - 1.4f * close_line, x1, bar_top, 0.0f, 0.45f);
  text_at(board.close, x1 - bar_w + 0.5f * close_line, bar_top - 1.2f * close_line, close_line,
          kWhite);
}

// Bottom right: the tachometer with its needle, and the gear in a box of the shifter picture
// beside it.
void draw_instruments(const World& w, const Bike& bike, int width, float u) {
  float size = kTachSize * u;
  float x1 = width - kMargin * u, y0 = kMargin * u;
  float x0 = x1 - size;
  if (w.hud.tach) picture(w.hud.tach, x0, y0, x1, y0 + size, 0, 0, 1, 1);
  float share = std::clamp(engine_rpm(bike) / kTachFullScaleRpm, 0.0f, 1.0f);
  float angle = (kTachStartDegrees + kTachSweepDegrees * share) * 3.14159265f / 180.0f;
  // The dial's angles run clockwise on the picture, whose rows go down the screen.
  float dx = std::cos(angle), dy = -std::sin(angle);
  float cx = x0 + 0.5f * size, cy = y0 + 0.5f * size;
  float length = kNeedleLength * size, half = kNeedleWidth * u;
  glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_CULL_FACE);
  glDisable(GL_DEPTH_TEST);
  glColor4f(0.95f, 0.25f, 0.1f, 1);
  glBegin(GL_TRIANGLES);
  glVertex2f(cx - dy * half, cy + dx * half);
  glVertex2f(cx + dy * half, cy - dx * half);
  glVertex2f(cx + dx * length, cy + dy * length);
  glEnd();
  glPopAttrib();

  if (!w.hud.shifter) return;
  // Box 0 of the strip is neutral, which the bikes do not have: first gear is box 1.
  int box = std::clamp(gear(bike) + 1, 0, kShifterBoxes - 1);
  float left = (kShifterFirstPixel + box * kShifterPitch) / kShifterPictureWidth;
  float right = left + kShifterBoxWidth / kShifterPictureWidth;
  float gx1 = x0 - 0.5f * kMargin * u, gx0 = gx1 - kGearBoxWidth * u;
  picture(w.hud.shifter, gx0, y0, gx1, y0 + kGearBoxHeight * u, left, kShifterTop, right,
          kShifterBottom);
}

void draw_results(const ResultsTable& table, int width, int height, float u) {
  float left = 0.5f * (width - kTableWidth * u), right = left + kTableWidth * u;
  float y = height - kTableTop * u;
  float title_line = kTitleLine * u;
  fill_rect(left, y - 1.3f * title_line, right, y, 0.0f, 0.6f);
  y -= 1.15f * title_line;
  text_at(table.title, 0.5f * (left + right - width_of(table.title, title_line)), y, title_line,
          kWhite);

  float head_line = kHeadLine * u;
  y -= 1.6f * head_line;
  for (size_t c = 0; c < std::size(kResultsHeads); ++c) {
    text_at(kResultsHeads[c], left + kColumns[c] * u, y, head_line, kWhite);
  }

  float row_line = kRowLine * u;
  for (size_t r = 0; r < table.rows.size(); ++r) {
    const ResultsRow& row = table.rows[r];
    y -= 1.2f * row_line;
    if (r % 2 == 1) fill_rect(left, y - 0.1f * row_line, right, y + 1.1f * row_line, 1.0f, 0.12f);
    const TextColour& colour = row.viewed ? kWhite : kGrey;
    const std::string* cells[] = {&row.position, &row.number, &row.laps,
                                  &row.gap,      &row.best,   &row.best_lap};
    for (size_t c = 0; c < std::size(cells); ++c) {
      text_at(*cells[c], left + kColumns[c] * u, y, row_line, colour);
    }
  }
  y -= 0.4f * row_line;
  if (!table.total_time.empty()) {
    y -= 1.2f * row_line;
    text_at(table.total_time, left + kColumns[0] * u, y, row_line, kWhite);
  }
  for (const std::string& text : table.penalty_lines) {
    y -= 1.2f * row_line;
    text_at(text, left + kColumns[0] * u, y, row_line, kRed);
  }
}

void draw_information(const std::vector<std::string>& lines, int height, float u) {
  float line = kInfoLine * u;
  float y = height - kMargin * u;
  for (const std::string& text : lines) {
    y -= line;
    text_at(text, kMargin * u, y, line, kWhite);
  }
}

}  // namespace

float overlay_scale(int width, int height) {
  return std::max(0.5f, std::min(width / kBaseWidth, height / kBaseHeight));
}

const std::vector<DrawnText>& overlay_drawn_texts() {
  return g_drawn;
}

void overlay_draw(const World& w, int viewed_slot, int width, int height,
                  const OverlayReadings& readings) {
  g_drawn.clear();
  if (width <= 0 || height <= 0) return;
  PixelProjection projection(width, height);
  float u = overlay_scale(width, height);
  if (w.view_mode == kViewCameraTour) {
    camera_tour_ticker(w, width, height);
  } else if (w.options.hud_shown) {
    if (std::optional<Pitboard> board = pitboard_for(w, viewed_slot)) {
      draw_pitboard(w, *board, width, height, u);
    }
    if (viewed_slot >= 0 && viewed_slot < kRiderSlots) {
      const RiderSlot& viewed = w.slots[static_cast<size_t>(viewed_slot)];
      if (viewed.bike) draw_instruments(w, *viewed.bike, width, u);
    }
  }
  if (std::optional<ResultsTable> table = results_table(w)) draw_results(*table, width, height, u);
  draw_information(information_lines(w, readings, render_stats()), height, u);
  // With --super-debug the log says what every frame showed, for whoever checks it by script.
  if (w.options.debug_level >= 2) {
    for (const DrawnText& t : g_drawn) kota::log_printf("Overlay text: %s\n", t.text.c_str());
  }
}

void camera_tour_ticker(const World& w, int width, int height) {
  if (width <= 0 || height <= 0 || !w.options.hud_shown) return;
  std::vector<TickerCell> cells = ticker_cells(w);
  if (cells.empty()) return;
  PixelProjection projection(width, height);
  float u = overlay_scale(width, height);
  float line = kTickerLine * u, cell_w = kTickerCellWidth * line;
  fill_rect(0, 0, static_cast<float>(width), kTickerBand * u, 0.0f, 0.55f);
  float y = 0.5f * (kTickerBand * u - line);
  float x = -ticker_scroll(w.world_time, cells.size()) * line;
  // From the cell under the left edge until the band is full, wrapping past the last rider.
  for (size_t i = 0; x < width; ++i, x += cell_w) {
    if (x + cell_w <= 0) continue;
    const TickerCell& cell = cells[i % cells.size()];
    const std::string* parts[] = {&cell.position, &cell.number, &cell.name, &cell.lap, &cell.gap};
    for (size_t p = 0; p < std::size(parts); ++p) {
      text_at(*parts[p], x + kTickerParts[p] * line, y, line, kWhite);
    }
  }
}

}  // namespace br
