// What the chat line remembers: the line being typed with its cursor, the lines entered
// before (for Up and Down), and the scripted camera's key frames.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace br {

// One pose of the scripted camera: where it stands, how it is turned (a unit quaternion w, x,
// y, z) and the frame it is reached at.
struct CameraKeyFrame {
  std::array<float, 3> position{};       // feet, world
  std::array<float, 4> rotation{1, 0, 0, 0};
  int32_t frame = 0;
};

struct ConsoleState {
  std::string line;   // what is typed so far
  size_t cursor = 0;  // bytes into `line`
  // Lines entered, oldest first; `history_position` is the one shown while browsing
  // (-1 = none), and `draft` keeps the line typed before browsing began.
  std::vector<std::string> history;
  int history_position = -1;
  std::string draft;

  // The scripted camera: key frames in frame order, and whether the view follows them.
  std::vector<CameraKeyFrame> key_frames;
  bool key_camera = false;
  // "camangle" aims the free camera by yaw and pitch (radians); the camera tour then looks
  // that way instead of at the viewed rider, until a trackside camera is chosen.
  bool free_camera_aimed = false;
  float free_camera_yaw = 0.0f;
  float free_camera_pitch = 0.0f;
};

}  // namespace br
