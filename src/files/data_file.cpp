#include "files/data_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cstdarg>
#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

#include "files/data_index.h"
#include "files/gzip_header.h"
#include "files/replace_file.h"
#include "files/scan_format.h"
#include "files/scramble.h"
#include "files/search_dirs.h"
#include "platform/log.h"

namespace br {

namespace {

constexpr uint64_t kNoLimit = UINT64_MAX;
constexpr size_t kGzipInput = 16384;  // bytes
constexpr size_t kGzipWindow = 1024;  // bytes of inflated output held at a time
constexpr size_t kMaxPath = 1023;     // characters
constexpr size_t kMaxBackupPath = 1000;

struct GzipState {
  z_stream z{};
  bool initialised = false;
  bool done = false;
  uint8_t in[kGzipInput];
  uint8_t out[kGzipWindow];
  size_t out_len = 0;
  size_t out_pos = 0;
};

}  // namespace

struct DataFile {
  FILE* fp = nullptr;
  uint64_t base = 0;          // bytes from the start of fp to the contents
  uint64_t limit = kNoLimit;  // bytes of contents, for archive members
  uint64_t raw_pos = 0;       // bytes of contents taken from fp
  uint64_t pos = 0;           // bytes handed to the reader
  int pushback = -1;
  bool compressed = false;
  bool scrambled = false;
  ScrambleStream scramble;
  std::unique_ptr<GzipState> gz;
  std::string name;  // for log lines
  // A safe rewrite: fp writes the temporary file, which closing puts in place.
  std::optional<FileReplacement> replacing;

  ~DataFile() {
    if (gz && gz->initialised) inflateEnd(&gz->z);
    if (replacing) {
      replacement_abandon(*replacing);
    } else if (fp) {
      std::fclose(fp);
    }
  }
};

namespace {

// Contents as stored: the length limit applied and the scrambling undone.
size_t source_read(DataFile& f, uint8_t* buffer, size_t count) {
  if (f.limit != kNoLimit)
    count = static_cast<size_t>(std::min<uint64_t>(count, f.limit - f.raw_pos));
  if (count == 0) return 0;
  size_t got = std::fread(buffer, 1, count, f.fp);
  f.raw_pos += got;
  if (f.scrambled) scramble_bytes(f.scramble, buffer, got);
  return got;
}

bool gzip_start(DataFile& f) {
  f.gz = std::make_unique<GzipState>();
  GzipState& g = *f.gz;
  size_t got = source_read(f, g.in, kGzipInput);
  auto header = gzip_header_length(g.in, got);
  if (!header) {
    kota::log_printf("Bad gzip header in \"%s\"\n", f.name.c_str());
    return false;
  }
  if (inflateInit2(&g.z, -MAX_WBITS) != Z_OK) return false;
  g.initialised = true;
  g.z.next_in = g.in + *header;
  g.z.avail_in = static_cast<uInt>(got - *header);
  return true;
}

// Refills the output window; false at the end of the data.
bool gzip_fill(DataFile& f) {
  GzipState& g = *f.gz;
  while (g.out_pos == g.out_len) {
    if (g.done) return false;
    if (g.z.avail_in == 0) {
      size_t got = source_read(f, g.in, kGzipInput);
      if (got == 0) {
        g.done = true;
        return false;
      }
      g.z.next_in = g.in;
      g.z.avail_in = static_cast<uInt>(got);
    }
    g.z.next_out = g.out;
    g.z.avail_out = kGzipWindow;
    int r = inflate(&g.z, Z_NO_FLUSH);
    g.out_len = kGzipWindow - g.z.avail_out;
    g.out_pos = 0;
    if (r == Z_STREAM_END) {
      g.done = true;
    } else if (r != Z_OK && r != Z_BUF_ERROR) {
      kota::log_printf("Corrupt compressed data in \"%s\"\n", f.name.c_str());
      g.done = true;
    }
  }
  return true;
}

size_t content_read(DataFile& f, uint8_t* buffer, size_t count) {
  if (!f.compressed) return source_read(f, buffer, count);
  size_t done = 0;
  while (done < count && gzip_fill(f)) {
    GzipState& g = *f.gz;
    size_t n = std::min(count - done, g.out_len - g.out_pos);
    std::memcpy(buffer + done, g.out + g.out_pos, n);
    g.out_pos += n;
    done += n;
  }
  return done;
}

// Data is read from regular files only: a device or a FIFO where data is expected would be
// read until memory runs out, or would block the open itself, which O_NONBLOCK prevents.
FILE* open_regular_for_reading(const std::string& path, const char* mode) {
  int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    kota::log_printf("Not a regular file: \"%s\"\n", path.c_str());
    ::close(fd);
    return nullptr;
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  FILE* fp = ::fdopen(fd, mode);
  if (!fp) ::close(fd);
  return fp;
}

FILE* open_path(const std::string& path, const char* mode, bool read_only) {
  return read_only ? open_regular_for_reading(path, mode) : std::fopen(path.c_str(), mode);
}

DataFile* wrap(FILE* fp, const std::string& name, bool compressed, bool scrambled) {
  auto f = std::make_unique<DataFile>();
  f->fp = fp;
  f->name = name;
  f->compressed = compressed;
  f->scrambled = scrambled;
  if (compressed && !gzip_start(*f)) return nullptr;
  return f.release();
}

enum class WriteHow { kInPlace, kReplace, kReplaceWithBackup };

DataFile* open_replacement(const std::string& path, bool backup) {
  if (path.size() <= kMaxPath) make_directories(path);
  if (backup && (path.size() > kMaxBackupPath || !make_numbered_backup(path))) return nullptr;
  auto r = replacement_begin(path);
  if (!r) return nullptr;
  auto f = std::make_unique<DataFile>();
  f->fp = r->fp;
  f->name = path;
  f->replacing = std::move(r);
  return f.release();
}

DataFile* open_plain(const std::string& path, const char* mode, bool read_only, WriteHow how) {
  if (how != WriteHow::kInPlace) return open_replacement(path, how == WriteHow::kReplaceWithBackup);
  if (!read_only && path.size() <= kMaxPath) make_directories(path);
  FILE* fp = nullptr;
  if (mode[0] == '~') {
    if (path.size() > kMaxBackupPath) return nullptr;
    if (!make_numbered_backup(path)) return nullptr;
    fp = std::fopen(path.c_str(), mode + 1);
  } else {
    fp = open_path(path, mode, read_only);
  }
  if (fp) return wrap(fp, path, false, false);
  if (!read_only) return nullptr;
  static const struct {
    const char* suffix;
    bool compressed, scrambled;
  } kVariants[] = {{".gz", true, false}, {".scram", false, true}, {".gz.scram", true, true}};
  for (const auto& v : kVariants) {
    std::string variant = path + v.suffix;
    if (variant.size() > kMaxPath) continue;
    fp = open_regular_for_reading(variant, mode);
    if (fp) return wrap(fp, variant, v.compressed, v.scrambled);
  }
  return nullptr;
}

DataFile* open_from_index(const std::string& name, const char* mode) {
  static const struct {
    const char* suffix;
    bool compressed, scrambled;
  } kChoices[] = {
      {"", false, false}, {".gz", true, false}, {".scram", false, true}, {".gz.scram", true, true}};
  const DataIndexEntry* chosen = nullptr;
  bool compressed = false, scrambled = false;
  for (const auto& c : kChoices) {
    const DataIndexEntry* e = data_index_find(name + c.suffix);
    if (e && (!chosen || e->source < chosen->source)) {
      chosen = e;
      compressed = c.compressed;
      scrambled = c.scrambled;
    }
  }
  if (!chosen) return nullptr;
  FILE* fp = open_regular_for_reading(chosen->path, mode);
  if (!fp) return nullptr;
  if (std::fseek(fp, static_cast<long>(chosen->offset), SEEK_SET) != 0) {
    std::fclose(fp);
    return nullptr;
  }
  auto f = std::make_unique<DataFile>();
  f->fp = fp;
  f->name = chosen->name;
  f->base = chosen->offset;
  if (chosen->in_archive) f->limit = chosen->size;
  f->compressed = compressed;
  f->scrambled = scrambled;
  if (compressed && !gzip_start(*f)) return nullptr;
  return f.release();
}

int scan_get(void* context) {
  return data_getc(static_cast<DataFile*>(context));
}
void scan_unget(void* context, int c) {
  data_ungetc(static_cast<DataFile*>(context), c);
}

}  // namespace

namespace {

DataFile* open_name(const char* name, const char* mode, WriteHow how) {
  bool read_only = std::strchr(mode, 'r') && !std::strchr(mode, '+');
  if (name[0] != '@') return open_plain(name, mode, read_only, how);
  std::string rest = name + 1;
  for (int i = 0; const char* dir = search_directory(i); ++i) {
    if (DataFile* f = open_plain(dir + rest, mode, read_only, how)) return f;
  }
  if (!read_only) return nullptr;
  return open_from_index(rest, mode);
}

}  // namespace

DataFile* data_open(const char* name, const char* mode) {
  // A "~" rewrite that starts from nothing is a safe replacement; appending or updating
  // keeps the old file's bytes, so those are made in place after the backup.
  bool replace = mode[0] == '~' && mode[1] == 'w' && !std::strchr(mode, '+');
  return open_name(name, mode, replace ? WriteHow::kReplaceWithBackup : WriteHow::kInPlace);
}

DataFile* data_open_replace(const char* name, DataBackup backup) {
  return open_name(
      name, "wb",
      backup == DataBackup::kNumbered ? WriteHow::kReplaceWithBackup : WriteHow::kReplace);
}

bool data_replace_file(const char* name, std::string_view contents, DataBackup backup) {
  DataFile* f = data_open_replace(name, backup);
  if (!f) return false;
  data_write(f, contents.data(), contents.size());
  return data_close(f);
}

bool data_close(DataFile* file) {
  if (!file) return false;
  bool ok = true;
  if (file->replacing) {
    ok = replacement_commit(*file->replacing);
    file->replacing.reset();
    file->fp = nullptr;
  } else if (file->fp) {
    bool failed = std::ferror(file->fp);
    ok = std::fclose(file->fp) == 0 && !failed;
    file->fp = nullptr;
  }
  delete file;
  return ok;
}

void data_abandon(DataFile* file) {
  delete file;
}

int data_getc(DataFile* file) {
  if (file->pushback >= 0) {
    int c = file->pushback;
    file->pushback = -1;
    ++file->pos;
    return c;
  }
  uint8_t c;
  if (content_read(*file, &c, 1) != 1) return -1;
  ++file->pos;
  return c;
}

void data_ungetc(DataFile* file, int c) {
  if (c < 0 || file->pushback >= 0) return;
  file->pushback = c & 0xff;
  --file->pos;
}

char* data_gets(char* buffer, int size, DataFile* file) {
  if (size <= 0) return nullptr;
  int n = 0;
  while (n < size - 1) {
    int c = data_getc(file);
    if (c < 0) break;
    buffer[n++] = static_cast<char>(c);
    if (c == '\n') break;
  }
  buffer[n] = 0;
  return n > 0 ? buffer : nullptr;
}

size_t data_read(DataFile* file, void* buffer, size_t count) {
  auto* out = static_cast<uint8_t*>(buffer);
  size_t done = 0;
  if (count > 0 && file->pushback >= 0) {
    out[done++] = static_cast<uint8_t>(file->pushback);
    file->pushback = -1;
  }
  done += content_read(*file, out + done, count - done);
  file->pos += done;
  return done;
}

bool data_seek(DataFile* file, long position) {
  if (file->compressed || file->scrambled || position < 0) return false;
  uint64_t p = static_cast<uint64_t>(position);
  if (file->limit != kNoLimit && p > file->limit) return false;
  if (std::fseek(file->fp, static_cast<long>(file->base + p), SEEK_SET) != 0) return false;
  file->raw_pos = p;
  file->pos = p;
  file->pushback = -1;
  return true;
}

size_t data_write(DataFile* file, const void* buffer, size_t count) {
  return std::fwrite(buffer, 1, count, file->fp);
}

int data_putc(DataFile* file, int c) {
  return std::fputc(c, file->fp);
}

int data_puts(DataFile* file, const char* text) {
  return std::fputs(text, file->fp);
}

int data_printf(DataFile* file, const char* format, ...) {
  va_list args;
  va_start(args, format);
  int n = std::vfprintf(file->fp, format, args);
  va_end(args);
  return n;
}

int data_flush(DataFile* file) {
  return std::fflush(file->fp);
}

int data_scanf(DataFile* file, const char* format, ...) {
  ScanSource source{scan_get, scan_unget, file, 0};
  va_list args;
  va_start(args, format);
  int n = scan_vformat(source, format, args);
  va_end(args);
  return n;
}

void data_skip_comments(DataFile* file) {
  for (;;) {
    uint64_t before = file->pos;
    data_scanf(file, " #%*[^\n]");
    if (file->pos == before) return;
  }
}

int data_read_int(DataFile* file) {
  int value = 0;
  return data_scanf(file, "%d", &value) == 1 ? value : kNoInt;
}

std::optional<std::vector<uint8_t>> data_read_whole(const char* name, size_t max_bytes) {
  DataFilePtr file(data_open(name, "rb"));
  if (!file) return std::nullopt;
  std::vector<uint8_t> bytes;
  uint8_t block[65536];
  while (size_t n = data_read(file.get(), block, sizeof block)) {
    if (n > max_bytes - bytes.size()) {
      kota::log_printf("\"%s\" is larger than %zu bytes\n", name, max_bytes);
      return std::nullopt;
    }
    // Grown by doubling, but never past the limit: the largest file allowed must not need
    // twice its size.
    if (bytes.size() + n > bytes.capacity())
      bytes.reserve(std::min(max_bytes, std::max(bytes.capacity() * 2, bytes.size() + n)));
    bytes.insert(bytes.end(), block, block + n);
  }
  return bytes;
}

std::string data_write_path(const char* name) {
  if (name[0] != '@') return name;
  const char* first = search_directory(0);
  return std::string(first ? first : "") + (name + 1);
}

bool data_rename(const char* from, const char* to) {
  std::string source = data_write_path(from);
  std::string target = data_write_path(to);
  if (target.size() <= kMaxPath) make_directories(target);
  std::remove(target.c_str());
  if (std::rename(source.c_str(), target.c_str()) != 0) {
    kota::log_printf("Can't rename \"%s\" to \"%s\"\n", source.c_str(), target.c_str());
    return false;
  }
  return true;
}

}  // namespace br
