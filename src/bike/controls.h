// The rider's controls on a bike: setters that clamp into each control's range, the
// edge-triggered gear shift, and what the sound and the display read back.
#pragma once

#include "bike/bike.h"

namespace br {

constexpr double kRadPerSecToRpm = 9.549296585513721;

void set_steering(Bike& bike, float v);     // -1..1
void set_throttle(Bike& bike, float v);     // 0..1
void set_clutch(Bike& bike, float v);       // engagement 0..1
void set_front_brake(Bike& bike, float v);  // 0..1
void set_rear_brake(Bike& bike, float v);   // 0..1
void set_dab(Bike& bike, float v);          // 0..1
void set_back_up(Bike& bike, float v);      // 0..1
void set_lean(Bike& bike, float v);         // -1..1

// -1, 0 or +1. A request equal to the previous one, or any while crashed, does nothing, so a
// request held over many steps shifts once.
void request_shift(Bike& bike, int direction);

// The gear index moved by `step` and kept on a gear the model has: a missing gear steps down
// to the nearest present one.
int shifted_gear(const BikeEntry& e, int gear, int step);

bool crashed(const Bike& bike);

// The values the step acts on: the throttle, dab, back-up and lean a thrown rider cannot use
// read 0.
float throttle(const Bike& bike);
float dab(const Bike& bike);
float back_up(const Bike& bike);
float lean(const Bike& bike);

float engine_rpm(const Bike& bike);
int gear(const Bike& bike);  // 0 is first
float rev_limit_rpm(const Bike& bike);

}  // namespace br
