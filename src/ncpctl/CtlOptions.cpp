#include "ncpctl/CtlOptions.h"

#include <QDir>
#include <QStandardPaths>
#include <algorithm>
#include <string_view>

#include "ncp/HostPort.h"
#include "ncpctl/CtlOptionTable.h"
#include "nsk/OperatorText.h"
#include "nsk/TNSKTelnet.h"

using namespace ctloptions;

namespace {

// The option's name for "--name" and "--name=value"; empty for an argument
// that is no option.
QString optionName(const QString& arg) {
  if (!arg.startsWith("--") || arg == "--") return {};
  return arg.mid(2).section('=', 0, 0);
}

std::string optionText(const CtlOption& option) { return std::string("--") + option.name; }

// Why the command does not take the option.
std::string notForCommand(const CtlOption& option, const CommandRow& row) {
  for (const CommandRow& owner : kCommands) {
    if (option.commands == commandBit(owner.command)) return optionText(option) + " belongs to " + owner.word;
  }
  return optionText(option) + " does not apply to " + row.word;
}

// The command row and its object from the positional arguments; null when
// they name no command or do not fit it.
const CommandRow* readCommand(QStringList positional, CtlOptions& o) {
  const QString word = positional.takeFirst();
  for (const CommandRow& row : kCommands) {
    if (word != QLatin1String(row.word)) continue;
    if (!row.action) return positional.isEmpty() ? &row : nullptr;
    if (namesProcess(row)) {
      if (positional.size() != 1) return nullptr;
      o.objectType = xpProcess;
      o.objectName = RequireLatin1Text(positional[0], "the process name");
      return &row;
    }
    if (positional.size() != 2) return nullptr;
    const auto type = objectTypeOf(positional[0]);
    if (!type) return nullptr;
    o.objectType = *type;
    o.objectName = RequireLatin1Text(positional[1], "the object name");
    return &row;
  }
  return nullptr;
}

}  // namespace

QString CtlOptions::commandWord(const QStringList& arguments) {
  for (int i = 0; i < arguments.size(); ++i) {
    const QString name = optionName(arguments[i]);
    if (name.isEmpty()) return arguments[i];
    const CtlOption* option = findOption(name);
    if (option && option->takesValue() && !arguments[i].contains('=')) ++i;
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
  std::vector<const CtlOption*> given;
  QStringList positional;
  const auto fail = [&](const std::string& text) -> std::optional<CtlOptions> {
    *error = text;
    return std::nullopt;
  };
  const auto isGiven = [&](const char* name) {
    return std::any_of(given.begin(), given.end(),
                       [&](const CtlOption* option) { return option->name == std::string_view(name); });
  };

  for (int i = 0; i < arguments.size(); ++i) {
    const QString& arg = arguments[i];
    const QString name = optionName(arg);
    if (name.isEmpty()) {
      positional << arg;
      continue;
    }
    const CtlOption* option = findOption(name);
    if (!option) {
      if (name.startsWith("pass")) return fail("passwords are never given on the command line; use --password-stdin");
      return fail("unknown option --" + name.toLatin1().toStdString());
    }
    const int eq = arg.indexOf('=');
    QString value;
    if (!option->takesValue()) {
      if (eq >= 0) return fail(optionText(*option) + " takes no value");
    } else if (eq >= 0) {
      value = arg.mid(eq + 1);
    } else if (i + 1 < arguments.size()) {
      value = arguments[++i];
    } else {
      return fail(optionText(*option) + " needs a value");
    }
    if (const std::string refusal = option->store(o, value); !refusal.empty()) return fail(refusal);
    given.push_back(option);
  }
  *help = isGiven("help");
  if (version) *version = isGiven("version");
  if (isGiven("help") || isGiven("version")) return std::nullopt;

  if (o.audit.path.isEmpty()) o.audit.path = defaultAuditPath();
  for (const CtlOption& option : ctlOptions()) {
    if (option.required && !isGiven(option.name)) return fail(optionText(option) + " is required");
  }
  if (!isGiven("ncp-user")) o.ncpUser = o.user;
  // Refused here, before the passwords are asked; the session reads it the same way.
  for (const std::string& host : o.hosts) {
    const bool tls = ncp::splitHostPort(host).transport == TransportKind::TelnetTls;
    if (!tls && (!o.caFile.empty() || !o.pin.empty())) return fail("--ca-file and --pin belong to telnets:// hosts");
  }
  if (positional.isEmpty()) return fail("a command is required");

  const CommandRow* row = readCommand(positional, o);
  if (!row) return fail("unknown command or wrong arguments: " + positional.first().toLatin1().toStdString());
  o.command = row->command;
  for (const CtlOption* option : given) {
    if (!(option->commands & commandBit(o.command))) return fail(notForCommand(*option, *row));
  }
  if (row->action || !o.objectName.empty()) RequireSafeObjectName(o.objectName, "the object name");
  if (o.estate() && o.command != Command::Tree && o.command != Command::Metrics && o.command != Command::Check) {
    return fail("several hosts or PATHMONs belong to tree, metrics and check");
  }
  return o;
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
