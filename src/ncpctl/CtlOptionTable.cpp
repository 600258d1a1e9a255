#include "ncpctl/CtlOptionTable.h"

#include <QFileInfo>
#include <cmath>
#include <limits>

#include "ncp/ConnectionBudget.h"
#include "nsk/OperatorText.h"
#include "nsk/TNSKTelnet.h"
#include "transport/TlsCertificate.h"

namespace ctloptions {

namespace {

// Longest --timeout or --interval taken: a day; QTimer counts milliseconds in an int.
constexpr double kMaxSeconds = 86400;

constexpr CommandSet kCheck = commandBit(Command::Check);

std::string needsSeconds(const char* option, const QString& text, double* value) {
  bool ok = false;
  const double v = text.toDouble(&ok);
  if (!ok || !std::isfinite(v) || v <= 0 || v > kMaxSeconds) {
    return std::string(option) + " needs a number of seconds above 0, at most " + std::to_string(int(kMaxSeconds));
  }
  *value = v;
  return {};
}

template <typename Number>
std::string needsCount(const char* option, const QString& text, Number* value) {
  bool ok = false;
  const qlonglong n = text.toLongLong(&ok);
  if (!ok || n < 1 ||
      static_cast<unsigned long long>(n) > static_cast<unsigned long long>(std::numeric_limits<Number>::max())) {
    return std::string(option) + " needs a whole number of at least 1";
  }
  *value = static_cast<Number>(n);
  return {};
}

// As needsCount, for an option whose absence means the default.
template <typename Number>
std::string needsCount(const char* option, const QString& text, std::optional<Number>* value) {
  Number n{};
  std::string refusal = needsCount(option, text, &n);
  if (refusal.empty()) *value = n;
  return refusal;
}

std::string needsFile(const char* option, const QString& text) {
  return text.isEmpty() ? std::string(option) + " needs a file name" : std::string();
}

std::string statusRanges(const char* option, const QString& text, StatusRanges* into) {
  std::string problem;
  const auto ranges = parseStatusRanges(RequireLatin1Text(text, option), &problem);
  if (!ranges) return std::string(option) + ": " + problem;
  for (const auto& [status, range] : *ranges) (*into)[status] = range;
  return {};
}

// Text the host gets: Latin-1, then the check the session applies to it.
std::string operatorText(const char* option, const QString& text, std::string* into,
                         void (*require)(const std::string&, const char*)) {
  *into = RequireLatin1Text(text, option);
  require(*into, option);
  return {};
}

std::vector<CtlOption> makeOptions() {
  using O = CtlOptions;
  const CommandSet all = kEveryCommand;
  const CommandSet outputs = kEveryCommand & ~commandBit(Command::Metrics) & ~kCheck;
  const CommandSet watch = commandBit(Command::Watch);
  const std::string types = objectTypeWords("|", "|");
  return {
      {"host", "HOST[:PORT] ...", all, true,
       [](O& o, const QString& v) {
         std::string host;
         operatorText("--host", v, &host, RequireSafeCommandText);
         o.hosts.push_back(host);
         o.host = o.hosts.front();
         return std::string();
       }},
      {"user", "USER", all, true,
       [](O& o, const QString& v) { return operatorText("--user", v, &o.user, RequireCommandWord); }},
      {"ncp-user", "USER", all, false,
       [](O& o, const QString& v) { return operatorText("--ncp-user", v, &o.ncpUser, RequireCommandWord); }},
      {"pathmon", "NAME,...|all", all, false,
       [](O& o, const QString& v) {
         operatorText("--pathmon", v, &o.pathmon, RequireSafeCommandText);
         for (const std::string& name : o.pathmonNames()) RequireCommandWord(name, "--pathmon");
         return std::string();
       }},
      {"password-stdin", "", all, false,
       [](O& o, const QString&) {
         o.passwordStdin = true;
         return std::string();
       }},
      {"format", formatWords("|", "|"), outputs, false,
       [](O& o, const QString& v) {
         for (const FormatRow& row : kFormats) {
           if (v == row.word) {
             o.format = row.format;
             return std::string();
           }
         }
         return "--format must be " + formatWords(", ", " or ");
       }},
      {"timeout", "SECONDS", all, false,
       [](O& o, const QString& v) { return needsSeconds("--timeout", v, &o.timeoutSeconds); }},
      {"debug", "", all, false,
       [](O& o, const QString&) {
         o.debug = true;
         return std::string();
       }},
      {"max-objects", "N", all, false,
       [](O& o, const QString& v) { return needsCount("--max-objects", v, &o.maxObjects); }},
      {"connections", "N", all, false,
       [](O& o, const QString& v) {
         bool ok = false;
         o.connections = v.toInt(&ok);
         if (ok && o.connections >= 1 && o.connections <= ConnectionBudget::kDefaultLimit) return std::string();
         return "--connections needs a whole number from 1 to " + std::to_string(ConnectionBudget::kDefaultLimit);
       }},
      {"page-quiet-ms", "MS", all, false,
       [](O& o, const QString& v) { return needsCount("--page-quiet-ms", v, &o.pageQuietMs); }},
      {"ca-file", "FILE", all, false,
       [](O& o, const QString& v) {
         if (!QFileInfo(v).isReadable()) return "--ca-file cannot be read: " + v.toLocal8Bit().toStdString();
         o.caFile = v.toLocal8Bit().toStdString();
         return std::string();
       }},
      {"pin", "sha256:HEX", all, false,
       [](O& o, const QString& v) {
         const auto pin = normalizedPin(v.toStdString());
         if (!pin) return std::string("--pin needs sha256: and the certificate's 64 hex digits");
         o.pin = *pin;
         return std::string();
       }},
      {"accept-new-host-key", "", all, false,
       [](O& o, const QString&) {
         o.acceptNewHostKey = true;
         return std::string();
       }},
      {"known-hosts", "FILE", all, false,
       [](O& o, const QString& v) {
         o.knownHosts = v.toLocal8Bit().toStdString();
         return std::string();
       }},
      {"audit-file", "FILE", all, false,
       [](O& o, const QString& v) {
         o.audit.path = v;
         return needsFile("--audit-file", v);
       }},
      {"audit-max-bytes", "N", all, false,
       [](O& o, const QString& v) { return needsCount("--audit-max-bytes", v, &o.audit.maxBytes); }},
      {"audit-keep", "N", all, false,
       [](O& o, const QString& v) { return needsCount("--audit-keep", v, &o.audit.keep); }},
      {"audit-syslog", "", all, false,
       [](O& o, const QString&) {
         o.audit.systemLog = true;
         return std::string();
       }},
      {"interval", "SECONDS", watch, false,
       [](O& o, const QString& v) { return needsSeconds("--interval", v, &o.intervalSeconds); }},
      {"count", "N", watch, false, [](O& o, const QString& v) { return needsCount("--count", v, &o.count); }},
      {"no-reconnect", "", watch, false,
       [](O& o, const QString&) {
         o.reconnect = false;
         return std::string();
       }},
      {"textfile", "FILE", commandBit(Command::Metrics), false,
       [](O& o, const QString& v) {
         o.textfile = v.toStdString();
         return needsFile("--textfile", v);
       }},
      {"warning", "STATUS=RANGE,...", kCheck, false,
       [](O& o, const QString& v) { return statusRanges("--warning", v, &o.warning); }},
      {"critical", "STATUS=RANGE,...", kCheck, false,
       [](O& o, const QString& v) { return statusRanges("--critical", v, &o.critical); }},
      {"type", types, kCheck, false,
       [](O& o, const QString& v) {
         const auto type = objectTypeOf(v);
         if (!type) return "--type must be " + objectTypeWords(", ", " or ");
         o.objectType = *type;
         return std::string();
       }},
      {"name", "NAME", kCheck, false,
       [](O& o, const QString& v) {
         o.objectName = RequireLatin1Text(v, "--name");
         return o.objectName.empty() ? std::string("--name needs a name") : std::string();
       }},
      {"help", "", 0, false, [](O&, const QString&) { return std::string(); }},
      {"version", "", 0, false, [](O&, const QString&) { return std::string(); }},
  };
}

}  // namespace

bool namesProcess(const CommandRow& row) { return row.action && ncp::actionWords(*row.action).processOnly; }

const std::vector<CtlOption>& ctlOptions() {
  static const std::vector<CtlOption> options = makeOptions();
  return options;
}

const CtlOption* findOption(const QString& name) {
  for (const CtlOption& option : ctlOptions()) {
    if (name == QLatin1String(option.name)) return &option;
  }
  return nullptr;
}

std::string joinWords(const std::vector<std::string>& words, const char* separator, const char* last) {
  std::string out;
  for (size_t i = 0; i < words.size(); ++i) {
    if (i > 0) out += i + 1 == words.size() ? last : separator;
    out += words[i];
  }
  return out;
}

std::optional<TXPNetType> objectTypeOf(const QString& word) {
  for (const ncp::ObjectKind& kind : ncp::objectKinds()) {
    if (word == QLatin1String(XPNetTypeWord(kind.type))) return kind.type;
  }
  return std::nullopt;
}

std::string objectTypeWords(const char* separator, const char* last) {
  std::vector<std::string> words;
  for (const ncp::ObjectKind& kind : ncp::objectKinds()) words.emplace_back(XPNetTypeWord(kind.type));
  return joinWords(words, separator, last);
}

std::string formatWords(const char* separator, const char* last) {
  std::vector<std::string> words;
  for (const FormatRow& row : kFormats) words.emplace_back(row.word);
  return joinWords(words, separator, last);
}

}  // namespace ctloptions
