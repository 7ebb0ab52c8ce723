// Billboards are drawn far to near so that blending works without depth writes. The order
// comes from a 32-bit key per billboard, sorted in four linear passes.
#pragma once

#include <cstdint>
#include <vector>

#include "render/view_camera.h"

namespace br {

// floor(1024 x (b . p) + 2^24), b the camera's backward axis and p the position (feet); kept
// within the 32 bits (a track is far smaller than the 8 million feet either way that holds).
uint32_t billboard_key(const Vec3& backward, const Vec3& position);

struct KeyedIndex {
  uint32_t key = 0;
  int index = 0;
};

// Ascending by key, stable, with four passes over 8-bit digits. `scratch` is reused.
void radix_sort(std::vector<KeyedIndex>& items, std::vector<KeyedIndex>& scratch);

// The billboards in front of the camera (key below the eye's own key), far to near.
struct BillboardPlace {
  float x, y, z;
};
std::vector<KeyedIndex> billboard_draw_order(const ViewCamera& camera,
                                             const std::vector<BillboardPlace>& places);

// Lets billboards with the same picture draw in one run: each billboard, in order, takes
// along the later ones with its picture that lie within `lookahead` places of it. Pictures by
// billboard index. A lookahead of 0 keeps the order as it is.
void group_equal_pictures(std::vector<KeyedIndex>& order, const std::vector<unsigned>& pictures,
                          int lookahead);

}  // namespace br
