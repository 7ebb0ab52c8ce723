// Replacing a file in one step. New contents go to a temporary file beside the old one, which
// is flushed, synced and then renamed over it, so a crash, a kill or a full disk leaves either
// the old file or the new one, never half of each. The data layer builds its safe writes on
// this; callers use data_replace_file or data_open_replace (files/data_file.h).
#pragma once

#include <cstdio>
#include <optional>
#include <string>

namespace br {

struct FileReplacement {
  std::string target;  // the file being replaced, symbolic links followed
  std::string temp;    // the new contents until they are complete
  FILE* fp = nullptr;  // open on `temp` for writing
};

// Opens a temporary file in the directory of `path` (which must exist). A symbolic link at
// `path` stays a link: the file it points to is the one replaced. Nothing, logged, when no
// temporary file can be made.
std::optional<FileReplacement> replacement_begin(const std::string& path);

// Puts the new contents in place, keeping the old file's permissions. False, logged, with
// the old file untouched and the temporary file gone, when any write, the flush, the sync or
// the rename failed. Closes `fp` either way.
bool replacement_commit(FileReplacement& r);

// Drops the new contents; the old file stays as it was.
void replacement_abandon(FileReplacement& r);

// Copies an existing file at `path` to the first free "<path>.~<n>~" (n from 1 to 9999).
// True when there was nothing to copy or the copy is complete; false, logged, otherwise.
bool make_numbered_backup(const std::string& path);

}  // namespace br
