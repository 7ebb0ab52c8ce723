#include "bike/shape_cache.h"

#include <memory>

#include "bike/shape_check.h"
#include "platform/log.h"
#include "render/render_files.h"

namespace br {
namespace {

std::vector<std::unique_ptr<CollisionShape>>& shapes() {
  static std::vector<std::unique_ptr<CollisionShape>> list;
  return list;
}

}  // namespace

const CollisionShape* shape_load(const std::string& name) {
  for (const auto& s : shapes()) {
    if (s->name == name) return s.get();
  }
  auto bytes = read_data_file(name);
  if (!bytes) {
    kota::log_printf("Warning: Can't load %.900s\n", name.c_str());
    return nullptr;
  }
  auto spheres = parse_shape(std::string(bytes->begin(), bytes->end()));
  if (!spheres) {
    kota::log_printf("Warning: Bad collision shape %.900s\n", name.c_str());
    return nullptr;
  }
  auto shape = std::make_unique<CollisionShape>();
  shape->name = name;
  shape->bounding_radius = shape_bounding_radius(*spheres);
  shape->spheres = std::move(*spheres);
  shapes().push_back(std::move(shape));
  return shapes().back().get();
}

void shape_cache_clear() {
  shapes().clear();
}

bool load_generic_shapes() {
  std::vector<std::string> contents;
  bool complete = true;
  for (const char* name : kGenericShapeFiles) {
    auto bytes = read_data_file(name);
    if (!bytes) {
      complete = false;
      continue;
    }
    contents.emplace_back(bytes->begin(), bytes->end());
    shape_load(name);
  }
  return complete && shape_files_digest(contents) == kStockShapeDigest;
}

}  // namespace br
