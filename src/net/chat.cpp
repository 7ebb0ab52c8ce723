#include "net/chat.h"

#include "files/data_file.h"
#include "files/messages.h"
#include "net/client_parts.h"
#include "net/description.h"

namespace br {
namespace {

constexpr double kUploadPartSeconds = 0.25;
// Parts queued but not yet acknowledged at most: a slow link holds the file back instead of
// piling it up in memory.
constexpr size_t kUploadQueueLimit = 8;
constexpr const char* kPartPrefix = "sendpart -";

void end_upload(FileUpload& u) {
  u.file.reset();
  u.name.clear();
  u.ready = false;
}

}  // namespace

bool chat_line(World& w, const std::string& text) {
  NetState& n = w.net;
  if (w.world_time - n.last_chat <= kChatSpamSeconds) {
    show_message("No one likes a spammer");
    return false;
  }
  n.last_chat = w.world_time;
  if (!n.socket.is_open()) {
    show_message("Not connected to server");
    return false;
  }
  queue_to_server(w, kMessageChat, text.substr(0, kMaxReliablePayload));
  return true;
}

bool send_file(World& w, const std::string& name) {
  if (!upload_name_allowed(name)) {
    show_message("Filename may only contain alphanumeric characters, '_' or '.'");
    return false;
  }
  std::string path = kOutgoingFolder + name;
  if (path.size() > kMaxOutgoingName) {
    show_message("Filename too long");
    return false;
  }
  FileUpload& u = w.net.upload;
  if (u.file) {
    show_message("Stopping previous transfer");
    end_upload(u);
  }
  DataFilePtr file(data_open(path.c_str(), "rb"));
  if (!file) {
    show_message("Can't open file");
    return false;
  }
  if (!w.net.socket.is_open()) {
    show_message("Not connected to server");
    return false;
  }
  u.file = std::move(file);
  u.name = name;
  u.ready = false;
  queue_to_server(w, kMessageCommand, "sendfile");
  show_message("Sending file");
  return true;
}

void upload_command(World& w, const std::string& command) {
  FileUpload& u = w.net.upload;
  if (!u.file) return;
  if (command == "sendready") {
    u.ready = true;
  } else {
    show_message("Send file denied");
    end_upload(u);
  }
}

void upload_service(World& w, double now) {
  FileUpload& u = w.net.upload;
  if (!u.file || !u.ready || now - u.last_part < kUploadPartSeconds) return;
  if (w.net.outbox.queue.size() >= kUploadQueueLimit) return;
  u.last_part = now;
  std::string part(kPartPrefix);
  char block[kUploadPartBytes];
  size_t got = data_read(u.file.get(), block, sizeof block);
  if (got == 0) {
    queue_to_server(w, kMessageCommand, "namefile " + u.name);
    end_upload(u);
    return;
  }
  part.append(block, got);
  queue_to_server(w, kMessageCommand, part);
}

}  // namespace br
