#include "audit/AuditTrail.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

#include "audit/AuditLine.h"
#include "audit/AuditPlatform.h"

namespace {

constexpr QIODevice::OpenMode kAppend = QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered;
constexpr QFileDevice::Permissions kOwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

QString rotated(const QString& path, int n) { return path + '.' + QString::number(n); }

}  // namespace

AuditTrail::AuditTrail(AuditOptions options) : m_options(std::move(options)), m_osUser(auditplatform::userName()) {
  m_options.keep = std::max(m_options.keep, 1);
}

std::string AuditTrail::failure(const QString& reason) const {
  return "cannot write the audit file " + QDir::toNativeSeparators(m_options.path).toStdString() + ": " +
         reason.toStdString();
}

bool AuditTrail::open(std::string* error) const {
  const QFileInfo info(m_options.path);
  if (!QDir().mkpath(info.absolutePath())) {
    *error = failure("its folder cannot be made");
    return false;
  }
  QFile file(m_options.path);
  if (!file.open(kAppend, kOwnerOnly)) {
    *error = failure(file.errorString());
    return false;
  }
  return true;
}

bool AuditTrail::write(const ncp::OperatorAction& action, std::string* error) const {
  const std::string line = audit::auditLine(action, m_osUser, m_options.program);
  if (m_options.systemLog)
    auditplatform::systemLog(m_options.program == "ncpctl" ? "ncpctl" : "korvanedrestolin", line);
  return append(line + '\n', error);
}

bool AuditTrail::append(const std::string& line, std::string* error) const {
  QFile file(m_options.path);
  if (!file.open(kAppend, kOwnerOnly)) {
    *error = failure(file.errorString());
    return false;
  }
  if (file.size() > 0 && file.size() + static_cast<int64_t>(line.size()) > m_options.maxBytes) {
    file.close();
    if (!rotate(error)) return false;
    if (!file.open(kAppend, kOwnerOnly)) {
      *error = failure(file.errorString());
      return false;
    }
  }
  if (file.write(line.data(), static_cast<qint64>(line.size())) != static_cast<qint64>(line.size())) {
    *error = failure(file.errorString());
    return false;
  }
  if (!auditplatform::syncToDisk(file.handle())) {
    *error = failure("it cannot be synced to disk");
    return false;
  }
  return true;
}

bool AuditTrail::rotate(std::string* error) const {
  const QString& path = m_options.path;
  QFile::remove(rotated(path, m_options.keep));
  for (int n = m_options.keep - 1; n >= 1; --n) {
    if (QFile::exists(rotated(path, n)) && !QFile::rename(rotated(path, n), rotated(path, n + 1))) {
      *error = failure("it cannot be rotated to " + rotated(path, n + 1));
      return false;
    }
  }
  if (!QFile::rename(path, rotated(path, 1))) {
    *error = failure("it cannot be rotated to " + rotated(path, 1));
    return false;
  }
  return true;
}
