#include "platform/message_box.h"

#include <cstdio>

#include "platform/log.h"
#include "platform/options.h"

namespace kota {
namespace {

MessageBoxDisplay g_display = nullptr;

}  // namespace

void message_box_set_display(MessageBoxDisplay display) {
  g_display = display;
}

void message_box(const char* title, const char* text) {
  size_t n = 0;
  while (text[n]) ++n;
  const char* newline = n == 0 || text[n - 1] != '\n' ? "\n" : "";
  log_printf("Message box \"%s\": %s%s", title, text, newline);
  // A dialog waits for a click nobody gives in an automated run.
  bool dialogs = option_flag("dialogs", true);
  if (dialogs && g_display && g_display(title, text)) return;
  std::fprintf(stderr, "%s: %s%s", title, text, newline);
}

}  // namespace kota
