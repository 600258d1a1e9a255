#include "ncpctl/CheckWriter.h"

#include <cctype>

#include "ncpctl/NodeWriter.h"

const char* CheckWriter::stateWord(PluginState state) {
  switch (state) {
    case PluginState::Ok:
      return "OK";
    case PluginState::Warning:
      return "WARNING";
    case PluginState::Critical:
      return "CRITICAL";
    default:
      return "UNKNOWN";
  }
}

std::string CheckWriter::statusWord(TXPNetStatus status) {
  std::string word = XPNetStatusWord(status);
  for (char& c : word) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return word;
}

CheckWriter::CheckWriter(const ObjectCensus& census, const Scope& scope, StatusRanges warning, StatusRanges critical)
    : m_warning(std::move(warning)), m_critical(std::move(critical)) {
  for (const ExtInfo* entry : census.objects()) {
    if (scope.type != xpUnknown && entry->NetType != scope.type) continue;
    if (!scope.name.empty() && entry->Name != scope.name) continue;
    ++m_counts[entry->Status];
    m_found = true;
  }
}

PluginState CheckWriter::state() const {
  const auto alerts = [&](const StatusRanges& ranges) {
    for (const auto& [status, range] : ranges) {
      if (range.alerts(static_cast<double>(m_counts[status]))) return true;
    }
    return false;
  };
  if (alerts(m_critical)) return PluginState::Critical;
  if (alerts(m_warning)) return PluginState::Warning;
  return PluginState::Ok;
}

std::string CheckWriter::line() const {
  const auto rangeText = [](const StatusRanges& ranges, TXPNetStatus status) {
    const auto it = ranges.find(status);
    return it == ranges.end() ? std::string() : it->second.text;
  };
  std::string text = std::string("NCP ") + stateWord(state()) + " -";
  std::string performance;
  for (const TXPNetStatus status : kXPNetStatuses) {
    const std::string word = statusWord(status);
    const std::string count = std::to_string(m_counts[status]);
    text += (status == kXPNetStatuses[0] ? " " : ", ") + count + ' ' + word;
    performance += ' ' + word + '=' + count + ';' + rangeText(m_warning, status) + ';' + rangeText(m_critical, status);
  }
  return text + " |" + performance + '\n';
}

std::string CheckWriter::unknownLine(const std::string& sentence) {
  std::string text;
  for (const char c : NodeWriter::printable(sentence)) text += c == '|' ? std::string("\\x7c") : std::string(1, c);
  return std::string("NCP ") + stateWord(PluginState::Unknown) + " - " + text + '\n';
}
