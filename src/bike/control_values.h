// What the rider asks of the bike: set through the setters of bike/controls.h by the player's
// input devices and by the robots alike, read by the bike's step.
#pragma once

namespace br {

struct BikeControls {
  float steering = 0;     // -1..1
  float throttle = 0;     // 0..1
  float clutch = 1;       // engagement 0..1; 1 with the lever released
  float front_brake = 0;  // 0..1
  float rear_brake = 0;   // 0..1
  float dab = 0;          // sit (0) to foot down (1)
  float back_up = 0;      // 0..1
  float lean = 0;         // -1..1, negative forward
  int gear = 0;           // 0 is first gear; there is no neutral
  int last_shift = 0;     // the latest shift request, so a held request shifts once
};

}  // namespace br
