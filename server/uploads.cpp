#include "uploads.h"

#include "files/data_file.h"
#include "net/description.h"

namespace brserver {
namespace {

constexpr const char* kPartPrefix = "sendpart -";
constexpr const char* kNamePrefix = "namefile ";
constexpr size_t kMaxStoredName = 255;

void deny(Server& s, Client& c, const char* why) {
  server_log("Upload from rider %d refused: %s", slot_of(s, c), why);
  c.upload = Upload{};
  queue_message(s, c, br::kMessageCommand, "senddenied");
}

void store(Server& s, Client& c, const std::string& name) {
  if (!upload_name_stored(name)) {
    server_log("Upload from rider %d has a name that can't be stored: '%s'", slot_of(s, c),
               br::printable_text(name, 100).c_str());
    c.upload = Upload{};
    return;
  }
  std::string path = kUploadFolder + name;
  // An earlier file of the same name is kept as a numbered backup, never lost.
  if (br::data_replace_file(path.c_str(), c.upload.bytes, br::DataBackup::kNumbered)) {
    server_log("Rider %d (%s) sent %s, %zu bytes", slot_of(s, c), c.identity.name.c_str(),
               name.c_str(), c.upload.bytes.size());
  } else {
    server_log("Can't store upload %s from rider %d", name.c_str(), slot_of(s, c));
  }
  c.upload = Upload{};
}

}  // namespace

bool upload_name_stored(const std::string& name) {
  return br::upload_name_allowed(name) && name.front() != '.' && name.size() <= kMaxStoredName;
}

void upload_command(Server& s, Client& c, const std::string& command) {
  if (command == "sendfile") {
    if (s.config.upload_max_kb <= 0) {
      deny(s, c, "uploads are off");
      return;
    }
    c.upload = Upload{};
    c.upload.open = true;
    queue_message(s, c, br::kMessageCommand, "sendready");
    return;
  }
  if (!c.upload.open) return;
  if (command.starts_with(kPartPrefix)) {
    c.upload.bytes.append(command, std::char_traits<char>::length(kPartPrefix));
    if (c.upload.bytes.size() > static_cast<size_t>(s.config.upload_max_kb) * 1024) {
      deny(s, c, "too big");
    }
  } else if (command.starts_with(kNamePrefix)) {
    store(s, c, command.substr(std::char_traits<char>::length(kNamePrefix)));
  }
}

}  // namespace brserver
