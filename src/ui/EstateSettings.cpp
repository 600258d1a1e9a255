#include "ui/EstateSettings.h"

#include <sstream>
#include <stdexcept>

namespace {

std::string section(const std::string& name) { return "Estate." + name; }

std::string key(const char* field, size_t n) { return field + std::to_string(n); }

std::string joined(const EstateHost& host) {
  if (host.allPathmons) return EstateSettings::kAll;
  std::string text;
  for (const std::string& pathmon : host.pathmons) text += (text.empty() ? "" : ",") + pathmon;
  return text;
}

}  // namespace

std::vector<std::string> EstateSettings::names() const { return m_ini.readSectionKeys(kList); }

Estate EstateSettings::read(const std::string& name) const {
  Estate estate{name, {}};
  const std::string from = section(name);
  for (size_t n = 1;; ++n) {
    EstateHost host;
    host.host = m_ini.readString(from, key("Host", n), "");
    if (host.host.empty()) break;
    host.user = m_ini.readString(from, key("User", n), "");
    host.ncpUser = m_ini.readString(from, key("NcpUser", n), "");
    const std::string pathmons = m_ini.readString(from, key("Pathmons", n), "");
    host.allPathmons = pathmons == kAll;
    std::istringstream list(host.allPathmons ? std::string() : pathmons);
    for (std::string pathmon; std::getline(list, pathmon, ',');) {
      const size_t first = pathmon.find_first_not_of(' ');
      if (first != std::string::npos)
        host.pathmons.push_back(pathmon.substr(first, pathmon.find_last_not_of(' ') + 1 - first));
    }
    estate.hosts.push_back(std::move(host));
  }
  return estate;
}

void EstateSettings::write(const Estate& estate) const {
  if (!IniFile::isSafeName(estate.name)) throw std::invalid_argument("not a name the settings file can carry");
  const std::string to = section(estate.name);
  size_t n = 1;
  for (const EstateHost& host : estate.hosts) {
    m_ini.writeString(to, key("Host", n), host.host);
    m_ini.writeString(to, key("User", n), host.user);
    m_ini.writeString(to, key("Pathmons", n), joined(host));
    m_ini.writeString(to, key("NcpUser", n), host.ncpUser);
    ++n;
  }
  // An estate saved before with more hosts ends here now.
  if (!m_ini.readString(to, key("Host", n), "").empty()) m_ini.writeString(to, key("Host", n), "");
  m_ini.writeString(kList, estate.name, "");
}
