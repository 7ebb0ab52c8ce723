#include "render/render_files.h"

#include "files/data_file.h"
#include "files/data_index.h"
#include "files/messages.h"

namespace br {

std::optional<std::vector<uint8_t>> read_data_file(const std::string& name, size_t max_bytes) {
  return data_read_whole(name.c_str(), max_bytes);
}

const std::vector<std::string>& data_file_names() {
  return data_file_list();
}

void render_message(const std::string& text) {
  show_message("%s", text.c_str());
}

}  // namespace br
