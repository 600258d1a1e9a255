// AuditPlatform: what the audit trail needs of the operating system, behind
// one small interface. AuditPlatformPosix.cpp is the implementation built
// here; AuditPlatformWindows.cpp keeps what Windows offers. CMake picks one.
#pragma once

#include <string>

namespace auditplatform {

// The name of the user the process runs for (its real user id), or the id
// as a number when it has no name.
std::string userName();
// Writes the file's data to the disk before it returns; false on an error.
bool syncToDisk(int handle);
// One line to the system log (syslog: journald collects it) as ident.
void systemLog(const char* ident, const std::string& line);

}  // namespace auditplatform
