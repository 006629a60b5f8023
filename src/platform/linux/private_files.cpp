#include "platform/linux/private_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace zanvo::linux_pc {

namespace {

// Files larger than this are no file of ours.
constexpr off_t kMaxFileBytes = 1 << 20;

std::string SystemError(const std::string& what, const std::string& path) {
  return what + " " + path + ": " + std::strerror(errno);
}

}  // namespace

std::string PreparePrivateDirectory(const std::string& path, uid_t owner) {
  if (mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) {
    return SystemError("cannot create", path);
  }
  struct stat st {};
  if (lstat(path.c_str(), &st) != 0) return SystemError("cannot examine", path);
  if (!S_ISDIR(st.st_mode)) return path + " is not a directory; refused";
  if (st.st_uid != owner) return path + " belongs to another user; refused";
  if ((st.st_mode & 077) != 0) return path + " may be entered by others (mode is not 0700); refused";
  return {};
}

std::optional<std::string> ReadPrivateFile(const std::string& path, uid_t owner,
                                           std::string& refusal) {
  refusal.clear();
  const int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    if (errno == ENOENT) return std::nullopt;
    refusal = errno == ELOOP ? path + " is a symbolic link; refused"
                             : SystemError("cannot open", path);
    return std::nullopt;
  }
  // Checked on the open file itself, so that nothing can be swapped in between.
  struct stat st {};
  std::string contents;
  if (fstat(fd, &st) != 0) {
    refusal = SystemError("cannot examine", path);
  } else if (!S_ISREG(st.st_mode)) {
    refusal = path + " is not a plain file; refused";
  } else if (st.st_uid != owner) {
    refusal = path + " belongs to another user; refused";
  } else if ((st.st_mode & 022) != 0) {
    refusal = path + " is writable by others; refused";
  } else if (st.st_size > kMaxFileBytes) {
    refusal = path + " is too large to be ours; refused";
  } else {
    char buffer[4096];
    ssize_t got = 0;
    while ((got = read(fd, buffer, sizeof buffer)) > 0) {
      contents.append(buffer, static_cast<size_t>(got));
      if (contents.size() > static_cast<size_t>(kMaxFileBytes)) break;
    }
    if (got < 0) refusal = SystemError("cannot read", path);
  }
  close(fd);
  if (!refusal.empty()) return std::nullopt;
  return contents;
}

std::string WritePrivateFile(const std::string& path, const std::string& contents) {
  const std::string temporary = path + ".new";
  unlink(temporary.c_str());
  const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) return SystemError("cannot write", temporary);
  size_t done = 0;
  while (done < contents.size()) {
    const ssize_t put = write(fd, contents.data() + done, contents.size() - done);
    if (put <= 0) {
      const std::string error = SystemError("cannot write", temporary);
      close(fd);
      unlink(temporary.c_str());
      return error;
    }
    done += static_cast<size_t>(put);
  }
  if (fsync(fd) != 0 || close(fd) != 0) {
    unlink(temporary.c_str());
    return SystemError("cannot write", temporary);
  }
  if (rename(temporary.c_str(), path.c_str()) != 0) {
    const std::string error = SystemError("cannot replace", path);
    unlink(temporary.c_str());
    return error;
  }
  return {};
}

}  // namespace zanvo::linux_pc
