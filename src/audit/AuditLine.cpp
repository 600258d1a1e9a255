#include "audit/AuditLine.h"

#include <QDateTime>
#include <QString>

#include "ncp/HostPort.h"

namespace audit {

namespace {

void appendJson(std::string& out, const QString& text) {
  static const char kHex[] = "0123456789abcdef";
  out += '"';
  for (const QChar c : text) {
    const char16_t u = c.unicode();
    if (u == '"' || u == '\\') {
      out += '\\';
      out += static_cast<char>(u);
    } else if (u < 0x20 || (u >= 0x7F && u < 0xA0)) {
      out += "\\u00";
      out += kHex[u >> 4];
      out += kHex[u & 0xF];
    } else {
      out += QString(c).toUtf8().toStdString();
    }
  }
  out += '"';
}

// A field whose value is one of the system's own words, which need no escaping.
void word(std::string& out, const char* name, const char* value) {
  out += ",\"";
  out += name;
  out += "\":\"";
  out += value;
  out += '"';
}

void field(std::string& out, const char* name, const std::string& latin1) {
  out += ",\"";
  out += name;
  out += "\":";
  if (latin1.empty()) {
    out += "null";
    return;
  }
  appendJson(out, QString::fromLatin1(latin1.data(), qsizetype(latin1.size())));
}

}  // namespace

std::string auditLine(const ncp::OperatorAction& action, const std::string& osUser, const std::string& program) {
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(action.time.time_since_epoch()).count();
  std::string out = "{\"time\":\"";
  out += QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC).toString(Qt::ISODateWithMs).toStdString();
  out += "\",\"os_user\":";
  appendJson(out, QString::fromLocal8Bit(osUser.data(), qsizetype(osUser.size())));
  out += ",\"program\":";
  appendJson(out, QString::fromStdString(program));
  field(out, "host", action.host);
  word(out, "transport", ncp::schemeName(action.transport).c_str());
  field(out, "tacl_user", action.taclUser);
  field(out, "pathmon", action.pathmon);
  field(out, "ncp_user", action.ncpUser);
  word(out, "action", ncp::actionWord(action.kind));
  field(out, "object", action.object);
  field(out, "command", action.command);
  word(out, "outcome", ncp::outcomeWord(action.outcome));
  field(out, "answer", action.answer);
  out += '}';
  return out;
}

}  // namespace audit
