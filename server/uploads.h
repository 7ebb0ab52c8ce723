// Files riders send ("sendfile"): offered, sent in parts, then named. They land in the
// server's "uploads" folder under the name the rider gave, which may hold only letters,
// digits, "_" and "." and may not begin with a dot.
#pragma once

#include <string>

#include "server.h"

namespace brserver {

constexpr const char* kUploadFolder = "@uploads/";

// A command message of the upload: "sendfile", "sendpart -" + bytes, "namefile " + name.
void upload_command(Server& s, Client& c, const std::string& command);

// Whether a file of this name may be stored.
bool upload_name_stored(const std::string& name);

}  // namespace brserver
