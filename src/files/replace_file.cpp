#include "files/replace_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/log.h"

namespace br {

namespace {

constexpr int kMaxBackups = 9999;
constexpr size_t kCopyBlock = 65536;  // bytes
constexpr int kTempAttempts = 100;

std::string directory_of(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// The rename is only durable once the directory entry itself reaches the disk.
void sync_directory(const std::string& dir) {
  int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

bool file_exists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0;
}

// Copies `from` to a new file `to`; a partial copy is removed again.
bool copy_file(const std::string& from, const std::string& to) {
  FILE* in = std::fopen(from.c_str(), "rb");
  if (!in) return false;
  FILE* out = std::fopen(to.c_str(), "wb");
  if (!out) {
    std::fclose(in);
    return false;
  }
  std::vector<char> block(kCopyBlock);
  bool ok = true;
  for (;;) {
    size_t n = std::fread(block.data(), 1, block.size(), in);
    if (n == 0) break;
    if (std::fwrite(block.data(), 1, n, out) != n) {
      ok = false;
      break;
    }
  }
  if (std::ferror(in)) ok = false;
  std::fclose(in);
  if (std::fclose(out) != 0) ok = false;
  if (!ok) std::remove(to.c_str());
  return ok;
}

}  // namespace

std::optional<FileReplacement> replacement_begin(const std::string& path) {
  FileReplacement r;
  r.target = path;
  // A file the player keeps elsewhere behind a symbolic link is replaced there, and the link
  // stays.
  struct stat link_stat;
  char resolved[PATH_MAX];
  if (::lstat(path.c_str(), &link_stat) == 0 && S_ISLNK(link_stat.st_mode) &&
      ::realpath(path.c_str(), resolved)) {
    r.target = resolved;
  }
  // O_EXCL with names of our own rather than mkstemp, so the new file gets the permissions
  // the player's umask asks for instead of mkstemp's private ones.
  static std::atomic<unsigned> counter{0};
  int fd = -1;
  for (int attempt = 0; attempt < kTempAttempts && fd < 0; ++attempt) {
    r.temp = r.target + ".new-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
    fd = ::open(r.temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) {
    kota::log_printf("Can't write \"%s\": %s\n", path.c_str(), std::strerror(errno));
    return std::nullopt;
  }
  // An existing file keeps the permissions the player gave it.
  struct stat old_stat;
  if (::stat(r.target.c_str(), &old_stat) == 0 && S_ISREG(old_stat.st_mode)) {
    ::fchmod(fd, old_stat.st_mode & 07777);
  }
  r.fp = ::fdopen(fd, "wb");
  if (!r.fp) {
    ::close(fd);
    ::unlink(r.temp.c_str());
    kota::log_printf("Can't write \"%s\": %s\n", path.c_str(), std::strerror(errno));
    return std::nullopt;
  }
  return r;
}

bool replacement_commit(FileReplacement& r) {
  if (!r.fp) return false;
  errno = 0;
  bool ok = std::fflush(r.fp) == 0 && !std::ferror(r.fp) && ::fsync(::fileno(r.fp)) == 0;
  int saved_errno = errno;
  if (std::fclose(r.fp) != 0 && ok) {
    ok = false;
    saved_errno = errno;
  }
  r.fp = nullptr;
  if (ok && ::rename(r.temp.c_str(), r.target.c_str()) != 0) {
    ok = false;
    saved_errno = errno;
  }
  if (!ok) {
    ::unlink(r.temp.c_str());
    // A write that fell short sets the stream's error flag without an errno of its own.
    kota::log_printf("Can't write \"%s\": %s\n", r.target.c_str(),
                     saved_errno ? std::strerror(saved_errno) : "write failed");
    return false;
  }
  sync_directory(directory_of(r.target));
  return true;
}

void replacement_abandon(FileReplacement& r) {
  if (!r.fp) return;
  std::fclose(r.fp);
  r.fp = nullptr;
  ::unlink(r.temp.c_str());
}

bool make_numbered_backup(const std::string& path) {
  if (!file_exists(path)) return true;
  for (int n = 1; n <= kMaxBackups; ++n) {
    std::string backup = path + ".~" + std::to_string(n) + "~";
    if (file_exists(backup)) continue;
    if (copy_file(path, backup)) return true;
    kota::log_printf("Can't write backup \"%s\"\n", backup.c_str());
    return false;
  }
  kota::log_printf("No free backup number for \"%s\"\n", path.c_str());
  return false;
}

}  // namespace br
