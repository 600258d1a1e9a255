#include "ui/SettingsFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include "ncp/ConnectionBudget.h"
#include "ncp/NCPStateHandler.h"

QString SettingsFile::defaultPath() {
  return locate(QCoreApplication::applicationFilePath(),
                QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation));
}

QString SettingsFile::pathForExecutable(const QString& executable) {
  QFileInfo info(executable);
  QString name = info.fileName();
  qsizetype dot = name.lastIndexOf('.');
  if (dot > 0) name.truncate(dot);
  QString dir = executable.left(executable.size() - info.fileName().size());
  return dir + name + ".INI";
}

QString SettingsFile::locate(const QString& executable, const QString& configFolder,
                             const std::function<bool(const QString&)>& writableFolder) {
  const QString beside = pathForExecutable(executable);
  const QFileInfo besideInfo(beside);
  if (besideInfo.exists() || writableFolder(besideInfo.absolutePath())) return beside;
  return QDir(configFolder).filePath(besideInfo.fileName());
}

bool SettingsFile::isWritableFolder(const QString& folder) {
  const QFileInfo info(folder);
  const QString path = info.canonicalFilePath();
  return info.isDir() && info.isWritable() && path != "/usr" && !path.startsWith("/usr/");
}

SettingsFile::SettingsFile(QString path) : m_ini(std::move(path)) {}

WindowPlacement SettingsFile::readPlacement() const {
  WindowPlacement p;
  p.top = m_ini.readInteger(kMain, "Top", p.top);
  p.left = m_ini.readInteger(kMain, "Left", p.left);
  p.width = m_ini.readInteger(kMain, "Width", p.width);
  p.height = m_ini.readInteger(kMain, "Height", p.height);
  p.maximized = m_ini.readInteger(kMain, "Maximized", p.maximized);
  return p;
}

void SettingsFile::writePlacement(const WindowPlacement& placement) const {
  if (placement.maximized != 2) {
    m_ini.writeInteger(kMain, "Top", placement.top);
    m_ini.writeInteger(kMain, "Left", placement.left);
    m_ini.writeInteger(kMain, "Width", placement.width);
    m_ini.writeInteger(kMain, "Height", placement.height);
  }
  m_ini.writeInteger(kMain, "Maximized", placement.maximized);
}

std::vector<std::string> SettingsFile::readList(const char* section) const { return m_ini.readSectionKeys(section); }

bool SettingsFile::addEntry(const char* section, const std::string& name) const {
  // A longer name would crowd the others out of the list's buffer, and the
  // list read back would no longer hold it where its index says.
  if (!IniFile::isSafeName(name) || name.size() > kMaxEntryBytes) return false;
  m_ini.writeString(section, name, std::string());
  return true;
}

int SettingsFile::readPagePromptQuietMs(int fallback) const { return readCount("PagePromptQuietMs", fallback); }

size_t SettingsFile::readMaxObjects() const {
  return static_cast<size_t>(readCount("MaxObjects", NCPStateHandler::kDefaultMaxObjects));
}

int SettingsFile::readConnections() const { return readCount("Connections", ConnectionBudget::kDefaultPerPathmon); }

int SettingsFile::readConnectionsPerHost() const {
  return readCount("ConnectionsPerHost", ConnectionBudget::kDefaultLimit);
}

AuditOptions SettingsFile::readAudit() const {
  AuditOptions audit;
  const std::string file = m_ini.readString(kAudit, "File", "");
  // A relative path is taken from the settings file's folder, not from
  // wherever the program happens to be started.
  audit.path = QFileInfo(path()).absoluteDir().filePath(
      file.empty() ? QString(AuditOptions::kFileName) : QString::fromLocal8Bit(file.data(), qsizetype(file.size())));
  if (const int maxBytes = m_ini.readInteger(kAudit, "MaxBytes", 0); maxBytes >= 1) audit.maxBytes = maxBytes;
  if (const int keep = m_ini.readInteger(kAudit, "Keep", 0); keep >= 1) audit.keep = keep;
  audit.systemLog = m_ini.readInteger(kAudit, "Syslog", 0) == 1;
  audit.program = "window";
  return audit;
}

bool SettingsFile::readAutoRefresh() const { return m_ini.readInteger(kMain, "AutoRefresh", 0) == 1; }

int SettingsFile::readAutoRefreshSeconds() const { return readCount("AutoRefreshSeconds", kDefaultAutoRefreshSeconds); }

void SettingsFile::writeAutoRefresh(bool on) const { m_ini.writeInteger(kMain, "AutoRefresh", on ? 1 : 0); }

bool SettingsFile::readConfirm() const { return m_ini.readInteger(kMain, "Confirm", 1) != 0; }

bool SettingsFile::readReconnect() const { return m_ini.readInteger(kMain, "Reconnect", 1) != 0; }

ReconnectBackoff::Wait SettingsFile::readReconnectFirstWait() const {
  return ReconnectBackoff::Wait(readCount("ReconnectFirstMs", int(ReconnectBackoff::kFirst.count())));
}

int SettingsFile::readCount(const char* key, int fallback) const {
  const int count = m_ini.readInteger(kMain, key, 0);
  return count >= 1 ? count : fallback;
}

int SettingsFile::readTreeWidth() const { return std::max(0, m_ini.readInteger(kMain, "TreeWidth", 0)); }

void SettingsFile::writeTreeWidth(int width) const { m_ini.writeInteger(kMain, "TreeWidth", width); }

std::string SettingsFile::readKnownHosts() const { return m_ini.readString("SSH", "KnownHosts", ""); }

int SettingsFile::readIndex(const char* key) const { return m_ini.readInteger(kMain, key, -1); }

void SettingsFile::writeIndex(const char* key, int index) const { m_ini.writeInteger(kMain, key, index); }
