// AuditPlatform: what the audit trail needs of the operating system, behind
// one small interface. AuditPlatformPosix.cpp is the implementation built
// here; AuditPlatformWindows.cpp keeps what Windows offers. CMake picks one.
#pragma once

#include <QString>
#include <cstdint>
#include <string>
#include <string_view>

namespace auditplatform {

// The name of the user the process runs for (its real user id), or the id
// as a number when it has no name.
std::string userName();

// Past the file size limit a write fails with its error instead of the
// process being ended by a signal, so the failure can be reported.
void reportFileSizeLimit();

// Opens path to append and read, made for its owner only (0600) when
// missing. A symbolic link is not followed, a FIFO is not waited on, and
// anything but a regular file is refused. The handle, or -1 with the
// reason in the system's words.
int openForAppend(const QString& path, std::string* reason);
void closeFile(int handle);
// The file's size in bytes, or -1 on an error.
int64_t fileSize(int handle);
// True when the file is empty or its last byte is a line end.
bool endsLine(int handle);
// Appends all of bytes or none: what an error left written is cut off again.
bool appendWhole(int handle, std::string_view bytes, std::string* reason);
// Writes the file's data to the disk before it returns; false on an error.
bool syncToDisk(int handle);

// One line to the system log (syslog: journald collects it) as ident.
void systemLog(const char* ident, const std::string& line);

}  // namespace auditplatform
