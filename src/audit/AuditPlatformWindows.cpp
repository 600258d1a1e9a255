#include <io.h>

#include <cstdlib>

#include "audit/AuditPlatform.h"

namespace auditplatform {

std::string userName() {
  const char* name = std::getenv("USERNAME");
  return name ? name : "";
}

bool syncToDisk(int handle) { return _commit(handle) == 0; }

// Windows has no syslog; its event log is not offered.
void systemLog(const char*, const std::string&) {}

}  // namespace auditplatform
