#include "ncpctl/CheckWriter.h"

#include <cctype>

#include "ncpctl/NodeWriter.h"

namespace {

// Printable, and no "|": it would start the performance data.
std::string pluginText(const std::string& latin1) {
  std::string text;
  for (const char c : NodeWriter::printable(latin1)) text += c == '|' ? std::string("\\x7c") : std::string(1, c);
  return text;
}

}  // namespace

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
    : CheckWriter(std::vector<Part>{{&census, {}}}, scope, std::move(warning), std::move(critical)) {}

CheckWriter::CheckWriter(const std::vector<Part>& parts, const Scope& scope, StatusRanges warning,
                         StatusRanges critical)
    : m_warning(std::move(warning)), m_critical(std::move(critical)) {
  for (const Part& part : parts) {
    Counts counts{};
    for (const ExtInfo* entry : part.census->objects()) {
      if (scope.type != xpUnknown && entry->NetType != scope.type) continue;
      if (!scope.name.empty() && entry->Name != scope.name) continue;
      ++counts[entry->Status];
      ++m_counts[entry->Status];
      m_found = true;
    }
    if (parts.size() > 1) m_partCounts.emplace_back(part.name, counts);
  }
}

std::string CheckWriter::countsText(const Counts& counts) {
  std::string text;
  for (const TXPNetStatus status : kXPNetStatuses) {
    text += (status == kXPNetStatuses[0] ? "" : ", ") + std::to_string(counts[status]) + ' ' + statusWord(status);
  }
  return text;
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
  std::string performance;
  for (const TXPNetStatus status : kXPNetStatuses) {
    performance += ' ' + statusWord(status) + '=' + std::to_string(m_counts[status]) + ';' +
                   rangeText(m_warning, status) + ';' + rangeText(m_critical, status);
  }
  std::string text =
      std::string("NCP ") + stateWord(state()) + " - " + countsText(m_counts) + " |" + performance + '\n';
  for (const auto& [name, counts] : m_partCounts) {
    text += pluginText(name) + ": " + countsText(counts) + '\n';
  }
  return text;
}

std::string CheckWriter::unknownLine(const std::string& sentence) {
  return std::string("NCP ") + stateWord(PluginState::Unknown) + " - " + pluginText(sentence) + '\n';
}
