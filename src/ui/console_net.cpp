// Chat and "sendfile": the console's side. The connection, the spam rule and the upload
// itself are the network client's (net/chat.h).
#include "net/chat.h"
#include "ui/console_commands.h"
#include "ui/console_text.h"

namespace br {

int console_chat(World& w, std::string_view text) {
  // The server hears only printable text, and no more than one message holds.
  std::string said = clean_console_text(text, kChatTextMax);
  if (trimmed(said).empty()) return 0;
  return chat_line(w, said) ? 1 : 0;
}

int console_send_file(World& w, std::string_view args, char) {
  send_file(w, std::string(args.substr(0, args.find_first_of(" \t"))));
  return 1;
}

}  // namespace br
