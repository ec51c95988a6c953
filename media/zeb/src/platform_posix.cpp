// POSIX side of the platform layer, used by the native tests and the fuzzer: UTF-8 text,
// '/' separators, pread-based positioned reads.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>
#include <cerrno>
#include <thread>

#include "platform.h"
#include "zeb.h"

namespace zeb {
namespace {

std::u16string Utf8ToUtf16(const std::string& text) {
  std::u16string out;
  size_t i = 0;
  while (i < text.size()) {
    const auto c = static_cast<unsigned char>(text[i]);
    uint32_t cp = 0xFFFD;
    size_t len = 1;
    if (c < 0x80) {
      cp = c;
    } else if ((c >> 5) == 6 && i + 1 < text.size()) {
      cp = ((c & 0x1Fu) << 6) | (text[i + 1] & 0x3Fu);
      len = 2;
    } else if ((c >> 4) == 14 && i + 2 < text.size()) {
      cp = ((c & 0x0Fu) << 12) | ((text[i + 1] & 0x3Fu) << 6) | (text[i + 2] & 0x3Fu);
      len = 3;
    } else if ((c >> 3) == 30 && i + 3 < text.size()) {
      cp = ((c & 0x07u) << 18) | ((text[i + 1] & 0x3Fu) << 12) | ((text[i + 2] & 0x3Fu) << 6) |
           (text[i + 3] & 0x3Fu);
      len = 4;
    }
    i += len;
    if (cp >= 0x10000 && cp < 0x110000) {
      cp -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(cp < 0x110000 ? cp : 0xFFFD));
    }
  }
  return out;
}

void AppendUtf8(std::string& out, const std::u16string& name, bool mapSeparators) {
  for (size_t i = 0; i < name.size(); ++i) {
    uint32_t cp = name[i];
    if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < name.size() && name[i + 1] >= 0xDC00 &&
        name[i + 1] < 0xE000) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (name[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp < 0xE000) {
      cp = 0xFFFD;
    }
    if (mapSeparators && cp == '\\') cp = '/';
    if (cp < 0x80) {
      out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
  }
}

}  // namespace

NativePath ApiToNative(const std::string& text) {
  return text;
}
std::u16string ApiToUtf16(const std::string& text) {
  return Utf8ToUtf16(text);
}

std::string Utf16ToApi(const std::u16string& name) {
  std::string out;
  AppendUtf8(out, name, true);
  return out;
}

NativePath JoinNative(const NativePath& folder, const std::u16string& relative) {
  NativePath out = folder;
  if (!out.empty() && out.back() != '/') out.push_back('/');
  AppendUtf8(out, relative, true);
  return out;
}

struct InputFile::Impl {
  int fd = -1;
  ~Impl() {
    if (fd >= 0) close(fd);
  }
};

InputFile::InputFile() : impl_(std::make_unique<Impl>()) {}
InputFile::~InputFile() = default;

int32_t InputFile::Open(const NativePath& path) {
  impl_->fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (impl_->fd < 0)
    return errno == ENOENT || errno == ENOTDIR ? kZebErrorFileNotFound : kZebErrorRead;
  struct stat st {};
  if (fstat(impl_->fd, &st) != 0 || !S_ISREG(st.st_mode)) return kZebErrorRead;
  size_ = static_cast<uint64_t>(st.st_size);
  return kZebOk;
}

int32_t InputFile::ReadAt(uint64_t offset, void* buffer, size_t size, size_t* got) {
  *got = 0;
  while (*got < size) {
    const ssize_t n = pread(impl_->fd, static_cast<char*>(buffer) + *got, size - *got,
                            static_cast<off_t>(offset + *got));
    if (n < 0) {
      if (errno == EINTR) continue;
      return kZebErrorRead;
    }
    if (n == 0) break;
    *got += static_cast<size_t>(n);
  }
  return kZebOk;
}

struct OutputFile::Impl {
  int fd = -1;
  ~Impl() {
    if (fd >= 0) close(fd);
  }
};

OutputFile::OutputFile() : impl_(std::make_unique<Impl>()) {}
OutputFile::~OutputFile() = default;

int32_t OutputFile::Create(const NativePath& path) {
  // O_NOFOLLOW: a planted link must not redirect the write.
  impl_->fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0644);
  return impl_->fd >= 0 ? kZebOk : kZebErrorWrite;
}

int32_t OutputFile::Write(const void* data, size_t size) {
  const char* p = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t n = write(impl_->fd, p, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return kZebErrorWrite;
    p += n;
    size -= static_cast<size_t>(n);
  }
  return kZebOk;
}

int32_t OutputFile::Close(uint64_t fileTime) {
  constexpr uint64_t kUnixEpoch = 116444736000000000ULL;  // 1970-01-01 in FILETIME units
  if (fileTime > kUnixEpoch) {
    const uint64_t t = fileTime - kUnixEpoch;
    struct timespec times[2];
    times[0].tv_sec = times[1].tv_sec = static_cast<time_t>(t / 10000000);
    times[0].tv_nsec = times[1].tv_nsec = static_cast<long>((t % 10000000) * 100);
    futimens(impl_->fd, times);  // best effort: the data is what matters
  }
  const int fd = impl_->fd;
  impl_->fd = -1;
  return close(fd) == 0 ? kZebOk : kZebErrorWrite;
}

int32_t MakeFolders(const NativePath& folder) {
  for (size_t i = 1; i <= folder.size(); ++i) {
    if (i != folder.size() && folder[i] != '/') continue;
    // a parent we may not create is fine as long as the folder itself ends up existing
    mkdir(folder.substr(0, i).c_str(), 0755);
  }
  struct stat st {};
  return stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) ? kZebOk : kZebErrorWrite;
}

unsigned ProcessorCount() {
  return std::thread::hardware_concurrency();
}

}  // namespace zeb
