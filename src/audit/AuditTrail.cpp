#include "audit/AuditTrail.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <functional>
#include <optional>
#include <vector>

#include "audit/AuditLine.h"
#include "audit/AuditPlatform.h"

namespace {

QString rotated(const QString& path, int n) { return path + '.' + QString::number(n); }

// The audit file while a record is written; closed when it goes.
class OpenFile {
 public:
  OpenFile(const QString& path, std::string* reason) : m_handle(auditplatform::openForAppend(path, reason)) {}
  ~OpenFile() {
    if (m_handle >= 0) auditplatform::closeFile(m_handle);
  }
  OpenFile(const OpenFile&) = delete;
  OpenFile& operator=(const OpenFile&) = delete;

  bool isOpen() const { return m_handle >= 0; }
  int handle() const { return m_handle; }

 private:
  int m_handle;
};

}  // namespace

AuditTrail::AuditTrail(AuditOptions options) : m_options(std::move(options)), m_osUser(auditplatform::userName()) {
  m_options.keep = std::max(m_options.keep, 1);
  auditplatform::reportFileSizeLimit();
}

std::string AuditTrail::failure(const std::string& reason) const {
  return "cannot write the audit file " + QDir::toNativeSeparators(m_options.path).toStdString() + ": " + reason;
}

bool AuditTrail::open(std::string* error) const {
  const QFileInfo info(m_options.path);
  if (!QDir().mkpath(info.absolutePath())) {
    *error = failure("its folder cannot be made");
    return false;
  }
  std::string reason;
  if (!OpenFile(m_options.path, &reason).isOpen()) {
    *error = failure(reason);
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
  std::string reason;
  std::optional<OpenFile> file(std::in_place, m_options.path, &reason);
  if (!file->isOpen()) {
    *error = failure(reason);
    return false;
  }
  const int64_t size = auditplatform::fileSize(file->handle());
  if (size > 0 && size + static_cast<int64_t>(line.size()) > m_options.maxBytes) {
    file.reset();
    if (!rotate(error)) return false;
    file.emplace(m_options.path, &reason);
    if (!file->isOpen()) {
      *error = failure(reason);
      return false;
    }
  }
  // A file whose last line is torn (a crash, an edit) keeps that line to
  // itself: the record starts on a line of its own.
  const std::string whole = auditplatform::endsLine(file->handle()) ? line : '\n' + line;
  if (!auditplatform::appendWhole(file->handle(), whole, &reason)) {
    *error = failure(reason);
    return false;
  }
  if (!auditplatform::syncToDisk(file->handle())) {
    *error = failure("it cannot be synced to disk");
    return false;
  }
  return true;
}

std::vector<int> AuditTrail::rotatedBelowKeep() const {
  const QFileInfo info(m_options.path);
  const QString prefix = info.fileName() + '.';
  std::vector<int> found;
  const QStringList names = info.dir().entryList(QDir::Files | QDir::Hidden | QDir::System);
  for (const QString& name : names) {
    if (!name.startsWith(prefix)) continue;
    bool number = false;
    const int n = name.mid(prefix.size()).toInt(&number);
    if (number && n >= 1 && n < m_options.keep && name == rotated(info.fileName(), n)) found.push_back(n);
  }
  std::sort(found.begin(), found.end(), std::greater<>());
  return found;
}

bool AuditTrail::rotate(std::string* error) const {
  const QString& path = m_options.path;
  QFile::remove(rotated(path, m_options.keep));
  // From the highest down, each into the place the one above has left.
  for (const int n : rotatedBelowKeep()) {
    if (!QFile::rename(rotated(path, n), rotated(path, n + 1))) {
      *error = failure("it cannot be rotated to " + rotated(path, n + 1).toStdString());
      return false;
    }
  }
  if (!QFile::rename(path, rotated(path, 1))) {
    *error = failure("it cannot be rotated to " + rotated(path, 1).toStdString());
    return false;
  }
  return true;
}
