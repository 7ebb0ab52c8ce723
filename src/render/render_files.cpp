#include "render/render_files.h"

#include "files/data_file.h"
#include "files/data_index.h"
#include "files/messages.h"

namespace br {

std::optional<std::vector<uint8_t>> read_data_file(const std::string& name) {
  DataFilePtr file(data_open(name.c_str(), "rb"));
  if (!file) return std::nullopt;
  std::vector<uint8_t> bytes;
  uint8_t block[65536];
  size_t n;
  while ((n = data_read(file.get(), block, sizeof block)) > 0) {
    bytes.insert(bytes.end(), block, block + n);
  }
  return bytes;
}

const std::vector<std::string>& data_file_names() { return data_file_list(); }

void render_message(const std::string& text) { show_message("%s", text.c_str()); }

}  // namespace br
