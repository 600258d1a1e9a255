#include "ncpctl/CtlOptions.h"

#include <cmath>

#include "nsk/OperatorText.h"
#include "nsk/TNSKTelnet.h"
#include "ncp/HostPort.h"

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

std::optional<TXPNetType> objectTypeOf(const QString& word) {
  if (word == "line") return xpLine;
  if (word == "station") return xpStation;
  if (word == "process") return xpProcess;
  return std::nullopt;
}

}  // namespace

const char* CtlOptions::usage() {
  return "usage: ncpctl --host HOST[:PORT] --user USER [--ncp-user USER] [--pathmon NAME]\n"
         "              [--password-stdin] [--format text|json] [--timeout SECONDS] [--debug]\n"
         "              [--max-objects N] [--accept-new-host-key] [--known-hosts FILE]\n"
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
         "\n"
         "Passwords: with --password-stdin the first line of standard input is the TACL\n"
         "password and the second the NCP password (the TACL one when there is none);\n"
         "otherwise both are asked on the terminal.\n"
         "Exit codes: 0 done, 1 usage, 2 connection failed or closed, 3 TACL logon refused,\n"
         "4 NCP logon refused or unknown PATHMON, 5 time-out, 6 object not found,\n"
         "8 the host listed more than --max-objects objects (default 1000000),\n"
         "7 the host's identity could not be verified (an SSH host key unknown or changed),\n"
         "9 the host refused the start, stop or message.\n"
         "\n"
         "HOST may carry a scheme: telnet:// (the default), telnets://, ssh://. Over SSH the\n"
         "host key must be in the known-hosts file (--known-hosts, default ~/.ssh/known_hosts);\n"
         "--accept-new-host-key adds an unknown one, a changed one is always refused.\n";
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
  *help = false;
  bool versionSet = false;
  bool intervalSet = false, countSet = false, ncpUserSet = false;
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
    const bool flag = name == "help" || name == "version" || name == "password-stdin" || name == "debug" ||
                      name == "accept-new-host-key";
    const bool known = flag || name == "host" || name == "user" || name == "ncp-user" || name == "pathmon" ||
                       name == "format" || name == "timeout" || name == "interval" || name == "count" ||
                       name == "max-objects" || name == "known-hosts";
    if (!known) {
      if (name.startsWith("pass")) return fail("passwords are never given on the command line; use --password-stdin");
      return fail("unknown option --" + name.toLatin1().toStdString());
    }
    if (flag) {
      if (inlineValue) return fail("--" + name.toStdString() + " takes no value");
      if (name == "help") *help = true;
      if (name == "version") versionSet = true;
      if (name == "password-stdin") o.passwordStdin = true;
      if (name == "debug") o.debug = true;
      if (name == "accept-new-host-key") o.acceptNewHostKey = true;
      continue;
    }
    if (!inlineValue) {
      if (i + 1 >= arguments.size()) return fail("--" + name.toStdString() + " needs a value");
      value = arguments[++i];
    }
    const std::string what = "--" + name.toStdString();
    if (name == "host") {
      o.host = RequireLatin1Text(value, what.c_str());
    } else if (name == "user") {
      o.user = RequireLatin1Text(value, what.c_str());
    } else if (name == "ncp-user") {
      o.ncpUser = RequireLatin1Text(value, what.c_str());
      ncpUserSet = true;
    } else if (name == "pathmon") {
      o.pathmon = RequireLatin1Text(value, what.c_str());
    } else if (name == "format") {
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
      if (!seconds(value, &o.intervalSeconds)) return fail("--interval needs a number of seconds above 0, at most 86400");
    } else if (name == "count") {
      countSet = true;
      bool ok = false;
      o.count = value.toInt(&ok);
      if (!ok || o.count < 1) return fail("--count needs a whole number of at least 1");
    } else if (name == "known-hosts") {
      o.knownHosts = value.toLocal8Bit().toStdString();
    } else if (name == "max-objects") {
      bool ok = false;
      const qulonglong limit = value.toULongLong(&ok);
      if (!ok || limit < 1) return fail("--max-objects needs a whole number of at least 1");
      o.maxObjects = static_cast<size_t>(limit);
    }
  }
  if (*help) return std::nullopt;
  if (version) *version = versionSet;
  if (versionSet) return std::nullopt;

  if (o.host.empty()) return fail("--host is required");
  if (o.user.empty()) return fail("--user is required");
  if (!ncpUserSet) o.ncpUser = o.user;
  RequireSafeCommandText(o.host, "--host");
  RequireCommandWord(o.user, "--user");
  RequireCommandWord(o.ncpUser, "--ncp-user");
  RequireSafeCommandText(o.pathmon, "--pathmon");
  // Refused here, before the passwords are asked; the session reads it the same way.
  ncp::splitHostPort(o.host);
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
  if (o.command != Command::Pathmons && o.command != Command::Tree && o.command != Command::Watch)
    RequireSafeObjectName(o.objectName, "the object name");
  return o;
}
