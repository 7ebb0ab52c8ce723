// Capturing a control binding: the controls screen waits for the next key press or for an
// axis moved more than halfway, and binds that.
#pragma once

#include <cstdint>

#include "world/world.h"

namespace br {

// Bindings are numbered for capturing: the keyboard's 0..kBindingCount-1, then the pad's.
constexpr int kCapturableBindings = 2 * kBindingCount;
Binding* capturable_binding(World& w, int index);

// Starts waiting for binding `id`, watching every axis of every device except the window's
// cursor and the system mouse (reaching for the mouse must not bind it).
void begin_binding_capture(World& w, int id);

// A press while capturing: Esc cancels, a key with a name binds it. True when the press was
// taken (every press is, while capturing).
bool capture_key(World& w, int32_t code);

// Once a step: the watched axis pushed furthest, when past halfway, binds with the range
// (0.0625, 0.9375), or (-0.0625, -0.9375) when pushed negative. True when it bound.
bool capture_axes(World& w);

// Stops waiting and closes the watched axes.
void end_binding_capture(World& w);

}  // namespace br
