// Chat and "sendfile": the console's side. The connection itself is the network client's.
#include "files/data_file.h"
#include "files/messages.h"
#include "net/chat.h"
#include "net/description.h"
#include "ui/console_commands.h"
#include "ui/console_text.h"

namespace br {

int console_chat(World& w, std::string_view text) {
  std::string said = clean_console_text(text, kChatTextMax);
  if (trimmed(said).empty()) return 0;
  NetState& n = w.net;
  if (w.world_time - n.last_chat <= kChatSpamSeconds) {
    show_message("No one likes a spammer");
    return 0;
  }
  n.last_chat = w.world_time;
  // Until the game joins servers, no chat line has anywhere to go.
  show_message("Not connected to server");
  return 0;
}

int console_send_file(World& w, std::string_view args, char) {
  std::string_view name = args.substr(0, args.find_first_of(" \t"));
  if (!upload_name_allowed(name)) {
    show_message("Filename may only contain alphanumeric characters, '_' or '.'");
    return 1;
  }
  std::string path = kOutgoingFolder + std::string(name);
  if (path.size() > kMaxOutgoingName) {
    show_message("Filename too long");
    return 1;
  }
  DataFilePtr file(data_open(path.c_str(), "rb"));
  if (!file) {
    show_message("Can't open file");
    return 1;
  }
  (void)w;
  show_message("Not connected to server");
  return 1;
}

}  // namespace br
