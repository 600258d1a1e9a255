#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>
#include <windows.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "audit/AuditPlatform.h"

namespace auditplatform {

std::string userName() {
  const char* name = std::getenv("USERNAME");
  return name ? name : "";
}

// Windows has no file size signal.
void reportFileSizeLimit() {}

int openForAppend(const QString& path, std::string* reason) {
  const auto* wide = reinterpret_cast<const wchar_t*>(path.utf16());
  const DWORD attributes = GetFileAttributesW(wide);
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
    *reason = "it is a symbolic link";
    return -1;
  }
  int handle = -1;
  const int error = _wsopen_s(&handle, wide, _O_RDWR | _O_APPEND | _O_CREAT | _O_BINARY | _O_NOINHERIT, _SH_DENYNO,
                              _S_IREAD | _S_IWRITE);
  if (error != 0) {
    *reason = std::strerror(error);
    return -1;
  }
  struct _stat64 info {};
  if (_fstat64(handle, &info) != 0 || !(info.st_mode & _S_IFREG)) {
    *reason = "it is not a regular file";
    _close(handle);
    return -1;
  }
  return handle;
}

void closeFile(int handle) { _close(handle); }

int64_t fileSize(int handle) { return _filelengthi64(handle); }

bool endsLine(int handle) {
  char last = '\n';
  return fileSize(handle) <= 0 ||
         (_lseeki64(handle, -1, SEEK_END) >= 0 && _read(handle, &last, 1) == 1 && last == '\n');
}

bool appendWhole(int handle, std::string_view bytes, std::string* reason) {
  size_t done = 0;
  while (done < bytes.size()) {
    const int n = _write(handle, bytes.data() + done, static_cast<unsigned>(bytes.size() - done));
    if (n > 0) {
      done += static_cast<size_t>(n);
      continue;
    }
    *reason = std::strerror(n < 0 ? errno : ENOSPC);
    if (done > 0 && _chsize_s(handle, fileSize(handle) - static_cast<int64_t>(done)) != 0)
      *reason += "; the part written could not be taken back";
    return false;
  }
  return true;
}

bool syncToDisk(int handle) { return _commit(handle) == 0; }

// Windows has no syslog; its event log is not offered.
void systemLog(const char*, const std::string&) {}

}  // namespace auditplatform
