#include <algorithm>
#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "platform/devices.h"
#include "platform/log.h"
#include "platform/options.h"
#include "platform/sdl_input.h"

namespace kota {
namespace {

// The pointer's position in the window, in pixels from the top left.
struct CursorDevice : InputDevice {
  std::atomic<int> x{0}, y{0};
  CursorDevice() {
    name = "cursor";
    axis_count = 2;
  }
  int read_axis(int axis) override { return axis == 0 ? x.load() : y.load(); }
};

// The system mouse: relative motion summed since the start, and its buttons.
struct MouseDevice : InputDevice {
  std::atomic<int> dx{0}, dy{0};
  MouseDevice() {
    name = "Mouse";
    axis_count = 2;
    button_count = 3;
  }
  int read_axis(int axis) override { return axis == 0 ? dx.load() : dy.load(); }
};

// A joystick read by polling: buttons become events when their state changes; the SDL axes
// are absolute, each trackball adds two relative axes.
struct JoystickDevice : InputDevice {
  SDL_Joystick* joystick = nullptr;
  int absolute_axes = 0;
  int balls = 0;
  std::vector<uint8_t> buttons;
  std::vector<int> relative;  // summed trackball motion, two per ball

  ~JoystickDevice() override {
    if (joystick) SDL_JoystickClose(joystick);
  }
  void poll() override {
    SDL_JoystickUpdate();
    ClockTime now = clock_now();
    for (int b = 0; b < button_count; ++b) {
      uint8_t state = SDL_JoystickGetButton(joystick, b);
      if (state == buttons[b]) continue;
      buttons[b] = state;
      event_push({(id << 16) | b, state != 0, now});
    }
    for (int i = 0; i < balls; ++i) {
      int bx = 0, by = 0;
      if (SDL_JoystickGetBall(joystick, i, &bx, &by) == 0) {
        relative[2 * i] += bx;
        relative[2 * i + 1] += by;
      }
    }
  }
  int read_axis(int axis) override {
    if (axis < absolute_axes) {
      return std::max<int>(SDL_JoystickGetAxis(joystick, axis), -kAxisMax);
    }
    int r = axis - absolute_axes;
    return r < static_cast<int>(relative.size()) ? relative[r] : 0;
  }
};

// Published once the devices are registered; a window thread reads them.
std::atomic<CursorDevice*> g_cursor{nullptr};
std::atomic<MouseDevice*> g_mouse{nullptr};

// SDL has no names for axes and buttons; the ignored one is named by its number.
int clamp_axes(int count) {
  if (count <= kMaxDeviceAxes) return count;
  log_printf("Wow! This thing has a lot of axes!\nThe first ignored axis is called \"axis %d\"\n",
             kMaxDeviceAxes);
  return kMaxDeviceAxes;
}

int clamp_buttons(int count) {
  if (count <= kMaxDeviceButtons) return count;
  log_printf(
      "Wow! This thing has a lot of buttons!\nThe first ignored button is called \"button %d\"\n",
      kMaxDeviceButtons);
  return kMaxDeviceButtons;
}

void add_joystick(int index) {
  const char* product = SDL_JoystickNameForIndex(index);
  if (!product || !product[0]) product = "Joystick";
  SDL_Joystick* joystick = SDL_JoystickOpen(index);
  if (!joystick) {
    log_printf("Can't create \"%s\"\n", product);
    return;
  }
  int axes = SDL_JoystickNumAxes(joystick);
  int balls = SDL_JoystickNumBalls(joystick);
  int buttons = SDL_JoystickNumButtons(joystick);
  if (axes < 0 || balls < 0 || buttons < 0) {
    log_printf("Can't get device caps\n");
    SDL_JoystickClose(joystick);
    return;
  }
  auto device = std::make_unique<JoystickDevice>();
  device->joystick = joystick;
  device->name = joystick_device_name(product);
  device->needs_poll = true;
  axes = clamp_axes(axes);
  balls = std::min(balls, (kMaxDeviceAxes - axes) / 2);
  buttons = clamp_buttons(buttons);
  device->absolute_axes = axes;
  device->balls = balls;
  device->axis_count = axes + 2 * balls;
  device->button_count = buttons;
  device->buttons.assign(buttons, 0);
  device->relative.assign(2 * balls, 0);
  for (int b = 0; b < buttons; ++b) device->buttons[b] = SDL_JoystickGetButton(joystick, b);

  log_printf("%s (%s)\n", device->name.c_str(), product);
  log_printf("%d axes, %d keys\n", device->axis_count, device->button_count);
  for (int a = 0; a < device->axis_count; ++a) {
    log_printf("axis %d is %s\n", a, a < axes ? "absolute" : "relative");
  }
  if (axes > 0 && balls > 0)
    log_printf("'%s' has both absolute and relative axes\n", device->name.c_str());
  device_add(std::move(device));
}

}  // namespace

void sdl_devices_create() {
  if (!option_flag("dinput", true)) {
    log_printf("Joysticks disabled\n");
  } else if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0) {
    log_printf("Can't open the joystick library: %s\n", SDL_GetError());
  } else {
    SDL_JoystickEventState(SDL_IGNORE);  // joysticks are polled, not pumped
    log_printf("Joystick roll call...\n");
    for (int i = 0; i < SDL_NumJoysticks(); ++i) add_joystick(i);
    log_printf("End of joystick roll call\n");
  }
  auto mouse = std::make_unique<MouseDevice>();
  g_mouse = static_cast<MouseDevice*>(device_add(std::move(mouse)));
  auto cursor = std::make_unique<CursorDevice>();
  g_cursor = static_cast<CursorDevice*>(device_add(std::move(cursor)));
  register_builtin_aliases();
}

void sdl_devices_destroy() {
  log_printf("Closing input devices\n");
  g_cursor = nullptr;
  g_mouse = nullptr;
  devices_destroy_all();
  if (SDL_WasInit(SDL_INIT_JOYSTICK)) SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
}

void sdl_note_motion(int x, int y, int dx, int dy) {
  if (CursorDevice* cursor = g_cursor) {
    cursor->x = x;
    cursor->y = y;
  }
  if (MouseDevice* mouse = g_mouse) {
    mouse->dx += dx;
    mouse->dy += dy;
  }
}

void sdl_note_mouse_button(int sdl_button, bool pressed, ClockTime time) {
  // The window's buttons, and the same buttons as the system mouse's keys 0, 1, 2.
  int32_t window_code = 0;
  int key = -1;
  switch (sdl_button) {
    case SDL_BUTTON_LEFT:
      window_code = kEventMouseLeft;
      key = 0;
      break;
    case SDL_BUTTON_MIDDLE:
      window_code = kEventMouseMiddle;
      key = 2;
      break;
    case SDL_BUTTON_RIGHT:
      window_code = kEventMouseRight;
      key = 1;
      break;
    default:
      return;
  }
  event_push({window_code, pressed, time});
  if (MouseDevice* mouse = g_mouse) event_push({(mouse->id << 16) | key, pressed, time});
}

}  // namespace kota
