// EstateSettings: the estates the settings file keeps, named sets of hosts
// and their PATHMONs that the window opens in one step, like the saved
// sessions of a terminal program. Never a password:
//   [Estates]          one key per estate name, in the order they were saved
//   [Estate.NAME]      per host n from 1, up to the first missing HostN:
//                      HostN     the host as the login dialog takes it
//                      UserN     the TACL user
//                      PathmonsN the PATHMONs to load, "$PM01,$PM02", "all",
//                                or empty for none
//                      NcpUserN  the NCP user of those PATHMONs
// Like SettingsFile it reads or writes the file at once on each call.
#pragma once

#include <QString>
#include <string>
#include <vector>

#include "ui/IniFile.h"

struct EstateHost {
  std::string host;
  std::string user;
  // The PATHMONs by name; allPathmons: every one the host lists.
  std::vector<std::string> pathmons;
  bool allPathmons = false;
  std::string ncpUser;
};

struct Estate {
  std::string name;
  std::vector<EstateHost> hosts;
};

class EstateSettings {
 public:
  static constexpr const char* kList = "Estates";
  static constexpr const char* kAll = "all";

  explicit EstateSettings(QString path) : m_ini(std::move(path)) {}

  std::vector<std::string> names() const;
  // The hosts of that estate; none for a name the file does not hold.
  Estate read(const std::string& name) const;
  // Replaces the estate of that name. Throws IniWriteError, and
  // std::invalid_argument for a name or value the file cannot carry.
  void write(const Estate& estate) const;

 private:
  IniFile m_ini;
};
