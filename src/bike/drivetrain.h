// Engine, clutch, gearbox and brakes: the torque curves read at an engine speed, the clutch
// that slips and opens by itself at low revs, the drive torque between engine and rear wheel,
// automatic shifting and the brakes with their antilock and stoppie release.
#pragma once

#include "bike/bike.h"

namespace br {

// Crankshaft torque (lb-ft) at `rpm` with the throttle open by `throttle` in [0, 1]: both
// curves read linearly between their 500 rpm samples, the last sample beyond the table.
double engine_torque(const BikeEntry& e, double rpm, double throttle);

// How far the clutch passes the drive: the lever's engagement, further opened by the
// automatic clutch within 2000 rpm above its speed.
double clutch_factor(double rpm, double auto_clutch_rpm, double engagement);

// Overall reduction from crankshaft to rear wheel in the selected gear.
double drive_ratio(const Bike& bike);

// Every 32nd tick with automatic shifting on: one gear down below the model's down-shift
// speed, one up above its up-shift speed, while the rear wheel is loaded and not spinning.
void auto_shift(const World& w, Bike& bike);

// Engine torque, clutch slip and the drive torque on the rear wheel and frame; integrates the
// engine's speed and the drivetrain angle over one step of `h` seconds.
void drive_rear_wheel(Bike& bike, double h);

// Front and rear brake torques (lb-ft) from the brake controls and the setup's aids.
struct BrakeTorques {
  double front = 0, rear = 0;
};
BrakeTorques brake_torques(const Bike& bike);

// Sets the axle motors that brake the wheels.
void apply_brakes(Bike& bike);

}  // namespace br
