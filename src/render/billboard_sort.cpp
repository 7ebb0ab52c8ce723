#include "render/billboard_sort.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace br {

uint32_t billboard_key(const Vec3& b, const Vec3& p) {
  double along = static_cast<double>(b[0]) * p[0] + static_cast<double>(b[1]) * p[1] +
                 static_cast<double>(b[2]) * p[2];
  double key = std::floor(1024.0 * along + 16777216.0);
  if (!(key > 0)) return 0;  // NaN too
  if (key >= 4294967295.0) return 0xFFFFFFFFu;
  return static_cast<uint32_t>(key);
}

void radix_sort(std::vector<KeyedIndex>& items, std::vector<KeyedIndex>& scratch) {
  scratch.resize(items.size());
  for (int shift = 0; shift < 32; shift += 8) {
    std::array<size_t, 257> start{};
    for (const KeyedIndex& k : items) start[((k.key >> shift) & 0xFF) + 1] += 1;
    for (int d = 0; d < 256; ++d) start[d + 1] += start[d];
    for (const KeyedIndex& k : items) scratch[start[(k.key >> shift) & 0xFF]++] = k;
    items.swap(scratch);
  }
}

std::vector<KeyedIndex> billboard_draw_order(const ViewCamera& camera,
                                             const std::vector<BillboardPlace>& places) {
  Vec3 back = camera.backward();
  uint32_t eye_key = billboard_key(back, camera.eye);
  std::vector<KeyedIndex> order;
  order.reserve(places.size());
  for (size_t i = 0; i < places.size(); ++i) {
    uint32_t key = billboard_key(back, {places[i].x, places[i].y, places[i].z});
    if (key < eye_key) order.push_back({key, static_cast<int>(i)});
  }
  std::vector<KeyedIndex> scratch;
  radix_sort(order, scratch);
  return order;
}

void group_equal_pictures(std::vector<KeyedIndex>& order, const std::vector<unsigned>& pictures,
                          int lookahead) {
  if (lookahead <= 0 || order.size() < 2) return;
  auto picture = [&](const KeyedIndex& k) {
    size_t i = static_cast<size_t>(k.index);
    return i < pictures.size() ? pictures[i] : 0u;
  };
  std::vector<KeyedIndex> grouped;
  grouped.reserve(order.size());
  std::vector<bool> taken(order.size(), false);
  for (size_t i = 0; i < order.size(); ++i) {
    if (taken[i]) continue;
    grouped.push_back(order[i]);
    unsigned wanted = picture(order[i]);
    size_t last = std::min(order.size() - 1, i + static_cast<size_t>(lookahead));
    for (size_t j = i + 1; j <= last; ++j) {
      if (taken[j] || picture(order[j]) != wanted) continue;
      grouped.push_back(order[j]);
      taken[j] = true;
    }
  }
  order.swap(grouped);
}

}  // namespace br
