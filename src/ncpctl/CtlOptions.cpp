#include "ncpctl/CtlOptions.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <algorithm>
#include <cmath>

#include "ncp/ConnectionBudget.h"
#include "ncp/HostPort.h"
#include "nsk/OperatorText.h"
#include "nsk/TNSKTelnet.h"
#include "transport/TlsCertificate.h"

namespace {

// Longest --timeout or --interval taken: a day; QTimer counts milliseconds in an int.
constexpr double kMaxSeconds = 86400;

bool seconds(const QString& text, double* value) {
  bool ok = false;
  const double v = text.toDouble(&ok);
  if (!ok || !std::isfinite(v) || v <= 0 || v > kMaxSeconds) return false;
  *value = v;
  return true;
}

bool isFlag(const QString& name) {
  return name == "help" || name == "version" || name == "password-stdin" || name == "debug" || name == "audit-syslog" ||
         name == "accept-new-host-key";
}

bool takesValue(const QString& name) {
  return name == "host" || name == "user" || name == "ncp-user" || name == "pathmon" || name == "format" ||
         name == "timeout" || name == "interval" || name == "count" || name == "max-objects" || name == "textfile" ||
         name == "warning" || name == "critical" || name == "type" || name == "name" || name == "audit-file" ||
         name == "audit-max-bytes" || name == "audit-keep" || name == "ca-file" || name == "pin" ||
         name == "known-hosts" || name == "connections";
}

// The option's name for "--name" and "--name=value"; empty for an argument
// that is no option.
QString optionName(const QString& arg) {
  if (!arg.startsWith("--") || arg == "--") return {};
  return arg.mid(2).section('=', 0, 0);
}

std::optional<TXPNetType> objectTypeOf(const QString& word) {
  if (word == "line") return xpLine;
  if (word == "station") return xpStation;
  if (word == "process") return xpProcess;
  return std::nullopt;
}

}  // namespace

const char* CtlOptions::usage() {
  return "usage: ncpctl --host HOST[:PORT] ... --user USER [--ncp-user USER] [--pathmon NAME,...|all]\n"
         "              [--password-stdin] [--format text|json] [--timeout SECONDS] [--debug]\n"
         "              [--max-objects N] [--connections N] [--ca-file FILE] [--pin sha256:HEX]\n"
         "              [--accept-new-host-key] [--known-hosts FILE]\n"
         "              [--audit-file FILE] [--audit-max-bytes N] [--audit-keep N] [--audit-syslog]\n"
         "              COMMAND [ARGS]\n"
         "       ncpctl --help | --version\n"
         "\n"
         "commands:\n"
         "  pathmons                                the host's PATHMONs, one per line\n"
         "  tree                                    the whole object tree of the PATHMON\n"
         "  status line|station|process NAME        one object's status\n"
         "  start|stop line|station|process NAME    the command, then the object's new status\n"
         "  signon|keychange|warmboot PROCESS       the DELIVER message, then the host's answer\n"
         "  watch [--interval SECONDS] [--count N]  refresh all every interval, print each change\n"
         "  metrics [--textfile FILE]               the status of every object, for Prometheus\n"
         "  check [--warning STATUS=RANGE,...] [--critical STATUS=RANGE,...]\n"
         "        [--type line|station|process] [--name NAME]\n"
         "                                          a Nagios/Icinga check of the status counts\n"
         "\n"
         "Passwords: with --password-stdin the first line of standard input is the TACL\n"
         "password and the second the NCP password (the TACL one when there is none);\n"
         "otherwise both are asked on the terminal.\n"
         "A telnets:// host's certificate must verify against the system's authorities,\n"
         "or those of --ca-file, and name the host; --pin accepts only the certificate\n"
         "of that SHA-256 fingerprint instead.\n"
         "tree, metrics and check cover every --host given (loaded at once) and every\n"
         "PATHMON of --pathmon: names separated by commas, or all.\n"
         "The load and watch's refreshes run their listings on --connections connections\n"
         "at once (default 4, at most 8; 1 runs everything on one connection).\n"
         "Audit trail: every action sent to the host is appended to --audit-file\n"
         "(default ~/.config/Korvanedrestolin/audit.jsonl), rotated past --audit-max-bytes\n"
         "(default 10485760) keeping --audit-keep files (default 10); --audit-syslog\n"
         "sends each record to the system log too.\n"
         "Exit codes: 0 done, 1 usage or the audit file cannot be written,\n"
         "2 connection failed or closed, 3 TACL logon refused,\n"
         "4 NCP logon refused or unknown PATHMON, 5 time-out, 6 object not found,\n"
         "7 the host's certificate or SSH host key did not verify (nothing was sent),\n"
         "8 the host listed more than --max-objects objects (default 1000000),\n"
         "9 the host refused the start, stop or message. check exits 0 OK, 1 WARNING,\n"
         "2 CRITICAL or 3 UNKNOWN (any failure); STATUS is started, starting, stopped or\n"
         "abnormal, RANGE as for monitoring plugins: 10, 10:, ~:10, 10:20, @10:20.\n"
         "\n"
         "HOST may carry a scheme: telnet:// (the default), telnets://, ssh://. Over SSH the\n"
         "host key must be in the known-hosts file (--known-hosts, default ~/.ssh/known_hosts);\n"
         "--accept-new-host-key adds an unknown one, a changed one is always refused.\n";
}

std::vector<std::string> CtlOptions::pathmonNames() const {
  std::vector<std::string> names;
  if (allPathmons()) return names;
  size_t start = 0;
  while (start < pathmon.size()) {
    const size_t comma = std::min(pathmon.find(',', start), pathmon.size());
    if (comma > start) names.push_back(pathmon.substr(start, comma - start));
    start = comma + 1;
  }
  return names;
}

QString CtlOptions::commandWord(const QStringList& arguments) {
  for (int i = 0; i < arguments.size(); ++i) {
    const QString name = optionName(arguments[i]);
    if (name.isEmpty()) return arguments[i];
    if (takesValue(name) && !arguments[i].contains('=')) ++i;
  }
  return {};
}

QString CtlOptions::defaultAuditPath() {
  return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
      .filePath(QString("Korvanedrestolin/") + AuditOptions::kFileName);
}

std::optional<CtlOptions> CtlOptions::parse(const QStringList& arguments, std::string* error, bool* help,
                                            bool* version) {
  // Every refusal of operator text (EUnsafeCommandText) is one more
  // malformed command line.
  try {
    return parseText(arguments, error, help, version);
  } catch (const EUnsafeCommandText& e) {
    *error = e.what();
    return std::nullopt;
  }
}

std::optional<CtlOptions> CtlOptions::parseText(const QStringList& arguments, std::string* error, bool* help,
                                                bool* version) {
  CtlOptions o;
  o.audit.program = "ncpctl";
  *help = false;
  bool versionSet = false;
  bool intervalSet = false, countSet = false, ncpUserSet = false, formatSet = false;
  bool textfileSet = false, checkSet = false;
  QStringList positional;
  const auto fail = [&](const std::string& text) -> std::optional<CtlOptions> {
    *error = text;
    return std::nullopt;
  };

  for (int i = 0; i < arguments.size(); ++i) {
    const QString& arg = arguments[i];
    if (!arg.startsWith("--") || arg == "--") {
      positional << arg;
      continue;
    }
    QString name = arg.mid(2), value;
    bool inlineValue = false;
    if (const int eq = name.indexOf('='); eq >= 0) {
      value = name.mid(eq + 1);
      name = name.left(eq);
      inlineValue = true;
    }
    const bool flag = isFlag(name);
    if (!flag && !takesValue(name)) {
      if (name.startsWith("pass")) return fail("passwords are never given on the command line; use --password-stdin");
      return fail("unknown option --" + name.toLatin1().toStdString());
    }
    if (flag) {
      if (inlineValue) return fail("--" + name.toStdString() + " takes no value");
      if (name == "help") *help = true;
      if (name == "version") versionSet = true;
      if (name == "password-stdin") o.passwordStdin = true;
      if (name == "debug") o.debug = true;
      if (name == "audit-syslog") o.audit.systemLog = true;
      if (name == "accept-new-host-key") o.acceptNewHostKey = true;
      continue;
    }
    if (!inlineValue) {
      if (i + 1 >= arguments.size()) return fail("--" + name.toStdString() + " needs a value");
      value = arguments[++i];
    }
    const std::string what = "--" + name.toStdString();
    if (name == "host") {
      o.hosts.push_back(RequireLatin1Text(value, what.c_str()));
      o.host = o.hosts.front();
    } else if (name == "user") {
      o.user = RequireLatin1Text(value, what.c_str());
    } else if (name == "ncp-user") {
      o.ncpUser = RequireLatin1Text(value, what.c_str());
      ncpUserSet = true;
    } else if (name == "pathmon") {
      o.pathmon = RequireLatin1Text(value, what.c_str());
    } else if (name == "format") {
      formatSet = true;
      if (value == "text") {
        o.format = Format::Text;
      } else if (value == "json") {
        o.format = Format::Json;
      } else {
        return fail("--format must be text or json");
      }
    } else if (name == "timeout") {
      if (!seconds(value, &o.timeoutSeconds)) return fail("--timeout needs a number of seconds above 0, at most 86400");
    } else if (name == "interval") {
      intervalSet = true;
      if (!seconds(value, &o.intervalSeconds))
        return fail("--interval needs a number of seconds above 0, at most 86400");
    } else if (name == "count") {
      countSet = true;
      bool ok = false;
      o.count = value.toInt(&ok);
      if (!ok || o.count < 1) return fail("--count needs a whole number of at least 1");
    } else if (name == "known-hosts") {
      o.knownHosts = value.toLocal8Bit().toStdString();
    } else if (name == "connections") {
      bool ok = false;
      o.connections = value.toInt(&ok);
      if (!ok || o.connections < 1 || o.connections > ConnectionBudget::kDefaultLimit) {
        return fail("--connections needs a whole number from 1 to " + std::to_string(ConnectionBudget::kDefaultLimit));
      }
    } else if (name == "max-objects") {
      bool ok = false;
      const qulonglong limit = value.toULongLong(&ok);
      if (!ok || limit < 1) return fail("--max-objects needs a whole number of at least 1");
      o.maxObjects = static_cast<size_t>(limit);
    } else if (name == "textfile") {
      textfileSet = true;
      o.textfile = value.toStdString();
      if (o.textfile.empty()) return fail("--textfile needs a file name");
    } else if (name == "warning" || name == "critical") {
      checkSet = true;
      std::string problem;
      const auto ranges = parseStatusRanges(RequireLatin1Text(value, what.c_str()), &problem);
      if (!ranges) return fail(what + ": " + problem);
      for (const auto& [status, range] : *ranges) (name == "warning" ? o.warning : o.critical)[status] = range;
    } else if (name == "type") {
      checkSet = true;
      const auto type = objectTypeOf(value);
      if (!type) return fail("--type must be line, station or process");
      o.objectType = *type;
    } else if (name == "name") {
      checkSet = true;
      o.objectName = RequireLatin1Text(value, what.c_str());
      if (o.objectName.empty()) return fail("--name needs a name");
    } else if (name == "audit-file") {
      if (value.isEmpty()) return fail("--audit-file needs a file name");
      o.audit.path = value;
    } else if (name == "audit-max-bytes") {
      bool ok = false;
      o.audit.maxBytes = value.toLongLong(&ok);
      if (!ok || o.audit.maxBytes < 1) return fail("--audit-max-bytes needs a whole number of at least 1");
    } else if (name == "audit-keep") {
      bool ok = false;
      o.audit.keep = value.toInt(&ok);
      if (!ok || o.audit.keep < 1) return fail("--audit-keep needs a whole number of at least 1");
    } else if (name == "ca-file") {
      if (!QFileInfo(value).isReadable()) return fail("--ca-file cannot be read: " + value.toLocal8Bit().toStdString());
      o.caFile = value.toLocal8Bit().toStdString();
    } else if (name == "pin") {
      const auto pin = normalizedPin(value.toStdString());
      if (!pin) return fail("--pin needs sha256: and the certificate's 64 hex digits");
      o.pin = *pin;
    }
  }
  if (*help) return std::nullopt;
  if (version) *version = versionSet;
  if (versionSet) return std::nullopt;

  if (o.audit.path.isEmpty()) o.audit.path = defaultAuditPath();
  if (o.host.empty()) return fail("--host is required");
  if (o.user.empty()) return fail("--user is required");
  if (!ncpUserSet) o.ncpUser = o.user;
  for (const std::string& host : o.hosts) RequireSafeCommandText(host, "--host");
  RequireCommandWord(o.user, "--user");
  RequireCommandWord(o.ncpUser, "--ncp-user");
  RequireSafeCommandText(o.pathmon, "--pathmon");
  for (const std::string& name : o.pathmonNames()) RequireCommandWord(name, "--pathmon");
  // Refused here, before the passwords are asked; the session reads it the same way.
  for (const std::string& host : o.hosts) {
    const bool tls = ncp::splitHostPort(host).transport == TransportKind::TelnetTls;
    if (!tls && (!o.caFile.empty() || !o.pin.empty())) return fail("--ca-file and --pin belong to telnets:// hosts");
  }
  if (positional.isEmpty()) return fail("a command is required");

  const QString command = positional.takeFirst();
  const auto objectArguments = [&]() -> bool {
    if (positional.size() != 2) return false;
    const auto type = objectTypeOf(positional[0]);
    if (!type) return false;
    o.objectType = *type;
    o.objectName = RequireLatin1Text(positional[1], "the object name");
    return true;
  };
  const auto processArgument = [&]() -> bool {
    if (positional.size() != 1) return false;
    o.objectType = xpProcess;
    o.objectName = RequireLatin1Text(positional[0], "the process name");
    return true;
  };

  if (command == "pathmons" && positional.isEmpty()) {
    o.command = Command::Pathmons;
  } else if (command == "tree" && positional.isEmpty()) {
    o.command = Command::Tree;
  } else if (command == "watch" && positional.isEmpty()) {
    o.command = Command::Watch;
  } else if (command == "metrics" && positional.isEmpty()) {
    o.command = Command::Metrics;
  } else if (command == "check" && positional.isEmpty()) {
    o.command = Command::Check;
  } else if (command == "status" && objectArguments()) {
    o.command = Command::Status;
  } else if (command == "start" && objectArguments()) {
    o.command = Command::Start;
  } else if (command == "stop" && objectArguments()) {
    o.command = Command::Stop;
  } else if (command == "signon" && processArgument()) {
    o.command = Command::SignOn;
  } else if (command == "keychange" && processArgument()) {
    o.command = Command::KeyChange;
  } else if (command == "warmboot" && processArgument()) {
    o.command = Command::WarmBoot;
  } else {
    return fail("unknown command or wrong arguments: " + command.toLatin1().toStdString());
  }
  if (o.command != Command::Watch && (intervalSet || countSet)) return fail("--interval and --count belong to watch");
  if (o.command != Command::Metrics && textfileSet) return fail("--textfile belongs to metrics");
  if (o.command != Command::Check && checkSet) return fail("--warning, --critical, --type and --name belong to check");
  if ((o.command == Command::Metrics || o.command == Command::Check) && formatSet)
    return fail("metrics and check have their own formats; --format does not apply");
  const bool objectCommand = o.command != Command::Pathmons && o.command != Command::Tree &&
                             o.command != Command::Watch && o.command != Command::Metrics &&
                             o.command != Command::Check;
  if (objectCommand || !o.objectName.empty()) RequireSafeObjectName(o.objectName, "the object name");
  if (o.estate() && o.command != Command::Tree && o.command != Command::Metrics && o.command != Command::Check) {
    return fail("several hosts or PATHMONs belong to tree, metrics and check");
  }
  return o;
}
