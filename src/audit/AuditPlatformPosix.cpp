#include <pwd.h>
#include <syslog.h>
#include <unistd.h>

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

bool syncToDisk(int handle) { return fsync(handle) == 0; }

void systemLog(const char* ident, const std::string& line) {
  // Security records: the facility auth.log readers and journald keep for them.
  openlog(ident, LOG_PID, LOG_AUTHPRIV);
  syslog(LOG_NOTICE, "%s", line.c_str());
}

}  // namespace auditplatform
