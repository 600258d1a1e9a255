// SettingsFile: where the program's settings file lives, and the readers and
// writers the windows need (window placement, the login lists
// and their positions). Like IniFile it keeps no open state; each call reads
// or writes the file at once. Writers throw IniWriteError ("Unable to write
// to <path>"); whatever was written before the failure stays written.
//
// Used by the main window (placement) and the login dialog (lists).
#pragma once

#include <QString>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "audit/AuditTrail.h"
#include "ncp/ReconnectBackoff.h"
#include "ui/IniFile.h"

struct WindowPlacement {
  int top = 0;
  int left = 0;
  int width = 0;  // 0: none saved, the main window's design size
  int height = 0;
  int maximized = 0;  // window state: 0 normal, 1 minimized, 2 maximized
};

class SettingsFile {
 public:
  static constexpr const char* kMain = "Main";
  static constexpr const char* kAudit = "Audit";
  static constexpr const char* kHosts = "Hosts";
  static constexpr const char* kUsersTACL = "Users.TACL";
  static constexpr const char* kUsersNCPCOM = "Users.NCPCOM";
  static constexpr const char* kHostidx = "Hostidx";
  static constexpr const char* kTACLidx = "TACLidx";
  static constexpr const char* kNCPUidx = "NCPUidx";

  // locate() for the running executable and the user's configuration
  // folder (QStandardPaths::AppConfigLocation, on Linux
  // ~/.config/Korvanedrestolin once the application name is set).
  static QString defaultPath();
  // The executable's path with its extension replaced by ".INI" ("no
  // extension" appends ".INI").
  static QString pathForExecutable(const QString& executable);
  // Beside the executable (pathForExecutable) when that file exists or the
  // executable's folder is writable: the portable layout. Otherwise the same
  // file name in configFolder. Nothing is ever moved between the two.
  static QString locate(const QString& executable, const QString& configFolder,
                        const std::function<bool(const QString&)>& writableFolder = isWritableFolder);
  // An existing folder this process may create files in, outside /usr: the
  // system's programs there belong to the package manager, even where root
  // may write.
  static bool isWritableFolder(const QString& folder);

  explicit SettingsFile(QString path = defaultPath());

  const QString& path() const { return m_ini.path(); }

  // "Main"/"Top", "Left", "Width", "Height", "Maximized", in that order.
  WindowPlacement readPlacement() const;
  // Bounds only when not maximized (state 2), then always "Maximized".
  void writePlacement(const WindowPlacement& placement) const;

  // A remembered list: the key names of the section, in file order.
  std::vector<std::string> readList(const char* section) const;
  // The longest name a list remembers: as long as a single value may be.
  static constexpr std::size_t kMaxEntryBytes = IniFile::kValueBuffer - 1;
  // Remembers the name as a key with an empty value. Returns false, writing
  // nothing, for a name the file cannot carry (see IniFile::isSafeName) or
  // one longer than kMaxEntryBytes.
  bool addEntry(const char* section, const std::string& name) const;

  // "Main"/"MaxObjects": the most objects one connection may load; the
  // shared default when missing, not a number or below 1.
  size_t readMaxObjects() const;
  // "Main"/"Connections": the connections to one PATHMON, the operator's
  // among them (1: the listings run on the operator's alone);
  // "Main"/"ConnectionsPerHost": the most connections open to one host. The
  // shared defaults when missing, not a number or below 1.
  int readConnections() const;
  int readConnectionsPerHost() const;
  // "Main"/"PagePromptQuietMs": how long a page prompt that may be cut short
  // waits for more bytes before it is answered; the session's default when
  // absent or below 1.
  int readPagePromptQuietMs(int fallback) const;

  // "Audit": File (default: audit.jsonl beside the settings file; a relative
  // path is taken from the settings file's folder), MaxBytes
  // and Keep (the defaults when missing or below 1), Syslog (1: each record
  // to the system log too); the program is "window".
  AuditOptions readAudit() const;
  // "Main"/"AutoRefresh": 1 when View, Auto Refresh is on (off by default);
  // "Main"/"AutoRefreshSeconds": its interval, kDefaultAutoRefreshSeconds
  // when missing, not a number or below 1.
  static constexpr int kDefaultAutoRefreshSeconds = 30;
  bool readAutoRefresh() const;
  int readAutoRefreshSeconds() const;
  void writeAutoRefresh(bool on) const;
  // "Main"/"Confirm": 0 turns off the questions before Stop, Key Change,
  // Warmboot and a Disconnect while NCP is logged on (on by default).
  bool readConfirm() const;
  // "Main"/"Reconnect": 0 turns off opening a lost connection again (on by
  // default); "Main"/"ReconnectFirstMs": the first wait before that, the
  // backoff's default when missing or below 1.
  bool readReconnect() const;
  ReconnectBackoff::Wait readReconnectFirstWait() const;
  // "Main"/"TreeWidth": the tree's width as the operator left it; 0 when
  // missing or not a number.
  int readTreeWidth() const;
  void writeTreeWidth(int width) const;
  // "SSH"/"KnownHosts": the known-hosts file of ssh:// hosts; empty for the
  // user's ~/.ssh/known_hosts.
  std::string readKnownHosts() const;

  // A list position in "Main"; -1 when missing or not a number.
  int readIndex(const char* key) const;
  void writeIndex(const char* key, int index) const;

 private:
  // "Main"/key as a whole number from 1; fallback when missing, not a
  // number or below 1.
  int readCount(const char* key, int fallback) const;

  IniFile m_ini;
};
