#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <syslog.h>
#include <unistd.h>

#include <QFile>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <vector>

#include "audit/AuditPlatform.h"

namespace auditplatform {

std::string userName() {
  const uid_t uid = getuid();
  std::vector<char> buffer(4096);
  passwd entry{};
  passwd* found = nullptr;
  if (getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_name)
    return found->pw_name;
  return std::to_string(uid);
}

void reportFileSizeLimit() { std::signal(SIGXFSZ, SIG_IGN); }

int openForAppend(const QString& path, std::string* reason) {
  const int handle = ::open(QFile::encodeName(path).constData(),
                            O_RDWR | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
  if (handle < 0) {
    *reason = errno == ELOOP ? "it is a symbolic link" : std::strerror(errno);
    return -1;
  }
  struct stat info {};
  if (fstat(handle, &info) != 0 || !S_ISREG(info.st_mode)) {
    *reason = "it is not a regular file";
    ::close(handle);
    return -1;
  }
  return handle;
}

void closeFile(int handle) { ::close(handle); }

int64_t fileSize(int handle) {
  struct stat info {};
  return fstat(handle, &info) == 0 ? static_cast<int64_t>(info.st_size) : -1;
}

bool endsLine(int handle) {
  const int64_t size = fileSize(handle);
  char last = '\n';
  return size <= 0 || (pread(handle, &last, 1, size - 1) == 1 && last == '\n');
}

bool appendWhole(int handle, std::string_view bytes, std::string* reason) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(handle, bytes.data() + done, bytes.size() - done);
    if (n > 0) {
      done += static_cast<size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    *reason = std::strerror(n < 0 ? errno : ENOSPC);
    // Appended last, the part written is the file's tail.
    if (done > 0 && ftruncate(handle, fileSize(handle) - static_cast<off_t>(done)) != 0)
      *reason += "; the part written could not be taken back";
    return false;
  }
  return true;
}

bool syncToDisk(int handle) { return fsync(handle) == 0; }

void systemLog(const char* ident, const std::string& line) {
  // Security records: the facility auth.log readers and journald keep for them.
  openlog(ident, LOG_PID, LOG_AUTHPRIV);
  syslog(LOG_NOTICE, "%s", line.c_str());
}

}  // namespace auditplatform
