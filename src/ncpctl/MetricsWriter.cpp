#include "ncpctl/MetricsWriter.h"

#include <array>
#include <cctype>
#include <cstdio>

#include "ncpctl/NodeWriter.h"

namespace {

constexpr TXPNetType kObjectTypes[] = {xpProcess, xpLine, xpStation};

// The registry's status words as Prometheus label values go: lower case.
std::array<std::string, std::size(kXPNetStatuses)> statusLabels() {
  std::array<std::string, std::size(kXPNetStatuses)> labels;
  for (const TXPNetStatus status : kXPNetStatuses) {
    std::string& label = labels[status];
    for (const char* c = XPNetStatusWord(status); *c; ++c) {
      label += static_cast<char>(std::tolower(static_cast<unsigned char>(*c)));
    }
  }
  return labels;
}

}  // namespace

MetricsWriter::MetricsWriter(const ObjectCensus& census, Snapshot snapshot)
    : MetricsWriter(std::vector<Part>{{&census, std::move(snapshot)}}) {}

MetricsWriter::MetricsWriter(std::vector<Part> parts) : m_parts(std::move(parts)) {
  for (const Part& part : m_parts) {
    std::string scope = "system=\"";
    appendLabelValue(scope, part.snapshot.system);
    scope += "\",pathmon=\"";
    appendLabelValue(scope, part.snapshot.pathmon);
    scope += '"';
    m_scopes.push_back(std::move(scope));
  }
}

void MetricsWriter::appendFamily(std::string& out, const char* name, const char* help) const {
  out += "# HELP ";
  out += name;
  out += ' ';
  out += help;
  out += "\n# TYPE ";
  out += name;
  out += " gauge\n";
}

void MetricsWriter::write(const std::function<void(std::string_view)>& sink) const {
  const auto labels = statusLabels();
  std::string out;
  out.reserve(NodeWriter::kBufferSize);
  const auto spill = [&] {
    if (out.size() < NodeWriter::kSpillSize) return;
    sink(out);
    out.clear();
  };

  appendFamily(out, "ncp_objects", "Objects of the PATHMON by type and status.");
  for (size_t p = 0; p < m_parts.size(); ++p) {
    for (const TXPNetType type : kObjectTypes) {
      for (const TXPNetStatus status : kXPNetStatuses) {
        out += "ncp_objects{" + m_scopes[p] + ",type=\"" + XPNetTypeWord(type) + "\",status=\"" + labels[status] +
               "\"} " + std::to_string(m_parts[p].census->count(type, status)) + '\n';
      }
    }
  }

  appendFamily(out, "ncp_object_status",
               "Status of each object of the PATHMON: 1 for the status it shows, 0 for the others.");
  std::string prefix;
  for (size_t p = 0; p < m_parts.size(); ++p) {
    for (const ExtInfo* entry : m_parts[p].census->objects()) {
      prefix.assign("ncp_object_status{");
      prefix += m_scopes[p];
      prefix += ",type=\"";
      prefix += XPNetTypeWord(entry->NetType);
      prefix += "\",name=\"";
      appendLabelValue(prefix, entry->Name);
      prefix += "\",status=\"";
      for (const TXPNetStatus status : kXPNetStatuses) {
        out += prefix;
        out += labels[status];
        out += status == entry->Status ? "\"} 1\n" : "\"} 0\n";
      }
      spill();
    }
  }

  char number[32];
  appendFamily(out, "ncp_load_duration_seconds", "Time from the NCP logon to the end of the load of the objects.");
  for (size_t p = 0; p < m_parts.size(); ++p) {
    std::snprintf(number, sizeof number, "%.6f", m_parts[p].snapshot.loadSeconds);
    out += "ncp_load_duration_seconds{" + m_scopes[p] + "} " + number + '\n';
  }
  appendFamily(out, "ncp_snapshot_timestamp_seconds", "Unix time at which the load of the objects ended.");
  for (size_t p = 0; p < m_parts.size(); ++p) {
    const long long ms = m_parts[p].snapshot.endMsSinceEpoch;
    std::snprintf(number, sizeof number, "%lld.%03lld", ms / 1000, ms % 1000);
    out += "ncp_snapshot_timestamp_seconds{" + m_scopes[p] + "} " + number + '\n';
  }
  sink(out);
}

void MetricsWriter::appendLabelValue(std::string& out, std::string_view latin1) {
  for (const char c : latin1) {
    const auto byte = static_cast<unsigned char>(c);
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '"':
        out += "\\\"";
        break;
      case '\n':
        out += "\\n";
        break;
      default:
        if (byte < 0x80) {
          out += c;
        } else {
          out += static_cast<char>(0xC0 | (byte >> 6));
          out += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
  }
}
