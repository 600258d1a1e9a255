// AuditTrail: the audit file of operator actions, one JSON line each
// (AuditLine), appended, flushed and synced to disk before write returns, so
// that a record the operator has seen an action's outcome for survives a
// crash. The file is made for its owner only (mode 0600), its folder made
// when missing; a symbolic link, a FIFO or anything else but a regular file
// is refused. A record that would take the file past MaxBytes rotates it
// first: FILE becomes FILE.1, FILE.1 FILE.2 and so on, and only the last
// Keep of them stay (only the rotated files there are are looked at, so a
// large Keep costs nothing). Each record opens the file anew, so a trail
// that another program (the window beside ncpctl) has rotated is followed.
// Optionally each line goes to the system log as well.
//
// A record is written whole or not at all: what a full disk or the file size
// limit cut short is taken back (the process ignores the file size signal so
// that the limit is an error like any other). A file whose last line is torn
// gets the next record on a line of its own.
//
// A file that cannot be written is reported by the call's false result and
// one sentence; what the front end does with it is its own (the window says
// so once, ncpctl refuses to start). Owns no open state between calls.
// Single-threaded.
#pragma once

#include <QString>
#include <cstdint>
#include <string>
#include <vector>

#include "ncp/OperatorActions.h"

struct AuditOptions {
  static constexpr const char* kFileName = "audit.jsonl";
  static constexpr int64_t kDefaultMaxBytes = 10 * 1024 * 1024;
  static constexpr int kDefaultKeep = 10;

  QString path;
  int64_t maxBytes = kDefaultMaxBytes;
  int keep = kDefaultKeep;  // rotated files kept, at least 1
  bool systemLog = false;
  std::string program;  // "window" or "ncpctl"
};

class AuditTrail {
 public:
  explicit AuditTrail(AuditOptions options);

  const AuditOptions& options() const { return m_options; }

  // Makes the file (and its folder) when missing and checks that it takes
  // appends, before anything is sent.
  bool open(std::string* error) const;
  // Appends the action's record; also to the system log when chosen.
  bool write(const ncp::OperatorAction& action, std::string* error) const;

 private:
  bool append(const std::string& line, std::string* error) const;
  bool rotate(std::string* error) const;
  // The indexes N of the files FILE.N there are below Keep, highest first.
  std::vector<int> rotatedBelowKeep() const;
  std::string failure(const std::string& reason) const;

  AuditOptions m_options;
  std::string m_osUser;
};
