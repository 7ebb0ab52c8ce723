#include "platform/key_names.h"
#include "platform/sdl_input.h"

namespace kota {

// The scan code table is written in USB usage numbers, which SDL's scancodes are.
static_assert(SDL_SCANCODE_A == 4 && SDL_SCANCODE_0 == 39 && SDL_SCANCODE_RETURN == 40);
static_assert(SDL_SCANCODE_KP_ENTER == 88 && SDL_SCANCODE_LCTRL == 224 && SDL_SCANCODE_RGUI == 231);

int scan_from_sdl(SDL_Scancode scancode) {
  return scan_from_usb_usage(scancode);
}

const char* sdl_scan_name(int scan) {
  int usage = usb_usage_from_scan(scan);
  if (usage < 0) return "";
  const char* name = SDL_GetScancodeName(static_cast<SDL_Scancode>(usage));
  return name ? name : "";
}

}  // namespace kota
