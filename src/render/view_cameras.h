// Where each view mode's camera stands: the rider's own eyes, the chase camera behind the
// viewed bike or the orbit camera around it, and the camera tour's trackside eye. Also the
// per-step camera controls of the orbit and the tour, the trackside camera keys and the
// ghosts' fade. Reads the bikes' bodies; draws nothing.
#pragma once

#include <optional>

#include "render/rider_pose.h"
#include "render/view_camera.h"
#include "world/world.h"

struct dxBody;

namespace br {

struct Bike;

// A body's pose in the world, as the renderer takes it.
BodyPose body_pose(dxBody* body);

// The cockpit view: the eye between the rider's two head points by "1st Person Height",
// carried by the rider body; its rotation pitched down by "1st Person Angle" degrees.
ViewCamera first_person_camera(const World& w, const Bike& bike);

// The look-at point of the outside views: the chase-camera centre carried with the frame.
Vec3 chase_target(const World& w, const Bike& bike);

// Mode 3: behind a local rider's bike, else orbiting it at the free-camera values.
ViewCamera chase_camera(const World& w, const Bike& bike);

// Mode 4: from the free camera (put on a trackside camera when one is chosen, moved by
// zooming) toward the viewed bike.
ViewCamera tour_camera(World& w, const Bike& bike);

// The camera of the current view mode for the viewed slot; nothing when it has no bike.
std::optional<ViewCamera> view_camera(World& w);

// Per simulation step with no menu open: the orbit camera's angle, distance and height from
// the channels (mode 3 on a rider who is not local), and the tour's auto-switch and zoom.
void camera_controls(World& w);

// A digit key: trackside camera min(digit, count) - 1, so 0 selects none.
void select_trackside_camera(World& w, int digit);
// The digit (0-9) of an event code from the number row, or -1.
int digit_of_key(int32_t code);

// Opacity of a ghost at `distance` feet from the local rider with fade distance `fade`:
// gone nearer than half the fade distance, solid from the fade distance on.
float ghost_opacity(float distance, float fade);

// Every slot's opacity for this frame.
void update_rider_opacity(World& w);

}  // namespace br
