#include <algorithm>
#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "platform/devices.h"
#include "platform/log.h"
#include "platform/options.h"
#include "platform/pads.h"
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
// are absolute, each trackball adds two relative axes. SDL_JoystickUpdate runs once per poll
// of all devices, in sdl_devices_update.
struct JoystickDevice : InputDevice {
  SDL_Joystick* joystick = nullptr;
  SDL_JoystickID instance = -1;
  int absolute_axes = 0;
  int balls = 0;
  std::vector<uint8_t> buttons;
  std::vector<int> relative;  // summed trackball motion, two per ball

  ~JoystickDevice() override {
    if (joystick) SDL_JoystickClose(joystick);
  }
  void poll() override {
    ClockTime now = clock_now();
    for (int b = 0; b < button_count; ++b) set_button(b, SDL_JoystickGetButton(joystick, b), now);
    for (int i = 0; i < balls; ++i) {
      int bx = 0, by = 0;
      if (SDL_JoystickGetBall(joystick, i, &bx, &by) == 0) {
        relative[2 * i] += bx;
        relative[2 * i + 1] += by;
      }
    }
  }
  void set_button(int b, uint8_t state, ClockTime time) {
    if (state == buttons[b]) return;
    buttons[b] = state;
    event_push({(id << 16) | b, state != 0, time});
  }
  int read_axis(int axis) override {
    if (axis < absolute_axes) {
      return std::max<int>(SDL_JoystickGetAxis(joystick, axis), -kAxisMax);
    }
    int r = axis - absolute_axes;
    return r < static_cast<int>(relative.size()) ? relative[r] : 0;
  }
};

// A pad that SDL's game-controller database (or SDL_GAMECONTROLLERCONFIG) knows, read in
// the standard layout whatever its make.
struct SdlPad : PadDevice {
  SDL_GameController* controller = nullptr;
  SDL_JoystickID instance = -1;

  ~SdlPad() override {
    if (controller) SDL_GameControllerClose(controller);
  }
  void poll() override {
    ClockTime now = clock_now();
    for (int b = 0; b < kPadButtonCount; ++b) {
      auto button = static_cast<SDL_GameControllerButton>(b);
      pad_set_button(*this, b, SDL_GameControllerGetButton(controller, button) != 0, now);
    }
  }
  int read_axis(int axis) override {
    auto a = static_cast<SDL_GameControllerAxis>(axis);
    return std::max<int>(SDL_GameControllerGetAxis(controller, a), -kAxisMax);
  }
};

static_assert(int{kPadButtonCount} == int{SDL_CONTROLLER_BUTTON_MAX});
static_assert(int{kPadAxisCount} == int{SDL_CONTROLLER_AXIS_MAX});
static_assert(int{kPadDpadRight} == int{SDL_CONTROLLER_BUTTON_DPAD_RIGHT});
static_assert(int{kPadRightTrigger} == int{SDL_CONTROLLER_AXIS_TRIGGERRIGHT});

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

// Joysticks that could not be opened, so that they are not tried at every poll.
std::vector<SDL_JoystickID> g_refused;

SDL_JoystickID instance_of(const InputDevice& d) {
  if (auto* pad = dynamic_cast<const SdlPad*>(&d)) return pad->instance;
  if (auto* stick = dynamic_cast<const JoystickDevice*>(&d)) return stick->instance;
  return -1;
}

bool attached(const InputDevice& d) {
  if (auto* pad = dynamic_cast<const SdlPad*>(&d)) {
    return SDL_GameControllerGetAttached(pad->controller);
  }
  if (auto* stick = dynamic_cast<const JoystickDevice*>(&d)) {
    return SDL_JoystickGetAttached(stick->joystick);
  }
  return true;
}

bool known(SDL_JoystickID instance) {
  if (std::find(g_refused.begin(), g_refused.end(), instance) != g_refused.end()) return true;
  for (const auto& d : devices()) {
    if (instance_of(*d) == instance) return true;
  }
  return false;
}

void log_device(const InputDevice& d, const char* product, int absolute_axes) {
  log_printf("%s (%s)\n", d.name.c_str(), product);
  log_printf("%d axes, %d keys\n", d.axis_count, d.button_count);
  for (int a = 0; a < d.axis_count; ++a) {
    log_printf("axis %d is %s\n", a, a < absolute_axes ? "absolute" : "relative");
  }
  if (absolute_axes > 0 && absolute_axes < d.axis_count) {
    log_printf("'%s' has both absolute and relative axes\n", d.name.c_str());
  }
}

bool add_pad(int index, const char* product) {
  SDL_GameController* controller = SDL_GameControllerOpen(index);
  if (!controller) return false;
  auto pad = std::make_unique<SdlPad>();
  pad->controller = controller;
  pad->instance = SDL_JoystickGetDeviceInstanceID(index);
  pad->name = joystick_device_name(product);
  log_device(*pad, product, pad->axis_count);
  const char* mapping = SDL_GameControllerName(controller);
  log_printf("'%s' is a game controller (%s)\n", pad->name.c_str(), mapping ? mapping : "?");
  device_add(std::move(pad));
  return true;
}

bool add_joystick(int index, const char* product) {
  SDL_Joystick* joystick = SDL_JoystickOpen(index);
  if (!joystick) return false;
  int axes = SDL_JoystickNumAxes(joystick);
  int balls = SDL_JoystickNumBalls(joystick);
  int buttons = SDL_JoystickNumButtons(joystick);
  if (axes < 0 || balls < 0 || buttons < 0) {
    log_printf("Can't get device caps\n");
    SDL_JoystickClose(joystick);
    return false;
  }
  auto device = std::make_unique<JoystickDevice>();
  device->joystick = joystick;
  device->instance = SDL_JoystickInstanceID(joystick);
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
  log_device(*device, product, axes);
  device_add(std::move(device));
  return true;
}

void add_device(int index) {
  const char* product = SDL_JoystickNameForIndex(index);
  if (!product || !product[0]) product = "Joystick";
  bool ok = SDL_IsGameController(index) ? add_pad(index, product) : add_joystick(index, product);
  if (!ok) {
    log_printf("Can't create \"%s\"\n", product);
    g_refused.push_back(SDL_JoystickGetDeviceInstanceID(index));
  }
}

// Lets go of a device that was pulled out, releasing whatever it held.
void remove_device(InputDevice* d) {
  log_printf("'%s' was pulled out\n", d->name.c_str());
  ClockTime now = clock_now();
  if (auto* pad = dynamic_cast<SdlPad*>(d)) {
    pad_release_all(*pad, now);
  } else if (auto* stick = dynamic_cast<JoystickDevice*>(d)) {
    for (int b = 0; b < stick->button_count; ++b) stick->set_button(b, 0, now);
  }
  device_remove(d);
}

}  // namespace

void sdl_devices_create() {
  if (!option_flag("dinput", true)) {
    log_printf("Joysticks disabled\n");
  } else if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) {
    log_printf("Can't open the joystick library: %s\n", SDL_GetError());
  } else {
    // Joysticks and pads are polled, not pumped.
    SDL_JoystickEventState(SDL_IGNORE);
    SDL_GameControllerEventState(SDL_IGNORE);
    gamepad_create();
    log_printf("Joystick roll call...\n");
    for (int i = 0; i < SDL_NumJoysticks(); ++i) add_device(i);
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
  g_refused.clear();
  if (SDL_WasInit(SDL_INIT_GAMECONTROLLER)) SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
}

void sdl_devices_update() {
  if (!SDL_WasInit(SDL_INIT_GAMECONTROLLER)) return;
  SDL_JoystickUpdate();  // reads every open device and notices devices coming and going
  std::vector<InputDevice*> gone;
  for (const auto& d : devices()) {
    if (!attached(*d)) gone.push_back(d.get());
  }
  for (InputDevice* d : gone) remove_device(d);
  for (int i = 0; i < SDL_NumJoysticks(); ++i) {
    if (known(SDL_JoystickGetDeviceInstanceID(i))) continue;
    log_printf("Joystick plugged in\n");
    add_device(i);
  }
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
