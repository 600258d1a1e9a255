// CtlOptions: the command line of ncpctl, parsed and checked before anything
// is sent, by the same rules the session applies to operator text (Latin-1
// only, no control characters, no empty user, object names that cannot
// change the command). Passwords are never options (see PasswordInput). Called by main().
#pragma once

#include <QStringList>
#include <optional>
#include <string>
#include <vector>

#include "audit/AuditTrail.h"
#include "ncp/ConnectionBudget.h"
#include "ncp/XPNetTypes.h"
#include "ncpctl/PluginRange.h"

struct CtlOptions {
  enum class Command { Pathmons, Tree, Status, Start, Stop, SignOn, KeyChange, WarmBoot, Watch, Metrics, Check };
  enum class Format { Text, Json };

  std::string host;                // the first --host
  std::vector<std::string> hosts;  // every --host, in order
  std::string user;
  std::string ncpUser;  // --user when not given
  std::string pathmon;  // empty: the first PATHMON listed; "A,B" several, "all" every one
  bool passwordStdin = false;
  bool debug = false;
  Format format = Format::Text;
  double timeoutSeconds = 60;
  Command command = Command::Tree;
  TXPNetType objectType = xpUnknown;  // status, start, stop: line, station or process; check --type
  std::string objectName;             // status, start, stop, DELIVER commands; check --name
  double intervalSeconds = 10;        // watch
  int count = 0;                      // watch: refreshes before it stops; 0 = no end
  bool reconnect = true;              // watch: a lost connection is opened again
  std::optional<size_t> maxObjects;   // --max-objects; unset: the shared handler's default
  // Connections per PATHMON; the load's listings spread over all but the
  // first.
  int connections = ConnectionBudget::kDefaultPerPathmon;
  // --page-quiet-ms: how long a cut-short page prompt waits for more bytes;
  // unset: the session's own default.
  std::optional<int> pageQuietMs;
  std::string caFile;              // --ca-file (telnets:// only); empty: the system's authorities
  std::string pin;                 // --pin, written "sha256:<64 hex digits>" (telnets:// only)
  std::string textfile;            // metrics: the file to replace; empty: standard output
  StatusRanges warning, critical;  // check
  AuditOptions audit;              // --audit-file, --audit-max-bytes, --audit-keep, --audit-syslog

  // ~/.config/Korvanedrestolin/audit.jsonl (under $XDG_CONFIG_HOME when set):
  // the folder the installed window keeps its settings and audit file in.
  static QString defaultAuditPath();
  // ssh:// hosts: an unknown host key is added (as OpenSSH's accept-new); the known-hosts file.
  bool acceptNewHostKey = false;
  std::string knownHosts;  // empty: ~/.ssh/known_hosts

  // True when the command logs on to NCP (everything but "pathmons").
  bool needsNcp() const { return command != Command::Pathmons; }
  // The PATHMONs --pathmon names; empty for "all" (and for none).
  std::vector<std::string> pathmonNames() const;
  bool allPathmons() const { return pathmon == "all"; }
  // tree, metrics or check over several hosts or PATHMONs in one run.
  bool estate() const { return hosts.size() > 1 || allPathmons() || pathmonNames().size() > 1; }

  // Parses arguments (without the program name). On bad input returns nullopt
  // and one sentence in *error; on --help returns nullopt with *help set, on
  // --version nullopt with *version set.
  static std::optional<CtlOptions> parse(const QStringList& arguments, std::string* error, bool* help,
                                         bool* version = nullptr);
  // The usage text, written from the option and command tables.
  static std::string usage();
  // The command word of arguments as parse() would find it, read even from a
  // command line it refuses (check answers its refusal in its own way);
  // empty when there is none.
  static QString commandWord(const QStringList& arguments);

 private:
  // parse, throwing EUnsafeCommandText for operator text the host must not
  // get; the options' checks are rows of CtlOptionTable.
  static std::optional<CtlOptions> parseText(const QStringList& arguments, std::string* error, bool* help,
                                             bool* version);
};
