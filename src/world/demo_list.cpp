#include "world/demo_list.h"

#include "platform/log.h"

namespace br {

std::string demo_short_name(const std::string& name) {
  size_t slash = name.rfind('/');
  std::string rest = slash == std::string::npos ? name : name.substr(slash + 1);
  size_t dot = rest.rfind('.');
  if (dot != std::string::npos) rest.resize(dot);
  return rest.empty() ? name : rest;
}

DemoList build_demo_list(const std::vector<std::string>& data_files, int debug_level) {
  DemoList list;
  for (const std::string& name : data_files) {
    if (!name.starts_with("demos/") || !name.ends_with(".brdemo")) continue;
    list.names.push_back(name);
    list.short_names.push_back(demo_short_name(name));
    if (debug_level >= 1) {
      kota::log_printf("%s -> %s\n", name.c_str(), list.short_names.back().c_str());
    }
  }
  return list;
}

}  // namespace br
