// MetricsWriter: the loaded network's status in the Prometheus text
// exposition format (version 0.0.4), for a scrape or node_exporter's textfile
// collector:
//
//   ncp_objects{system,pathmon,type,status}                count of objects
//   ncp_object_status{system,pathmon,type,name,status}     1 for the object's
//       status, 0 for each other one, so that a rule can name the object
//   ncp_load_duration_seconds{system,pathmon}              NCP logon to loaded
//   ncp_snapshot_timestamp_seconds{system,pathmon}         when the load ended
//
// All gauges, every family with its HELP and TYPE lines; type and status
// words are the registry's own, in lower case. Label values are Latin-1 host
// text written as UTF-8 with backslash, double quote and line feed escaped.
// No sample carries a timestamp: the textfile collector refuses them.
//
// Reads the censuses it is given, which must outlive it. Called by NcpCtl.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "ncpctl/ObjectCensus.h"

class MetricsWriter {
 public:
  struct Snapshot {
    std::string system;   // the host's system name
    std::string pathmon;  // the PATHMON loaded
    double loadSeconds = 0;
    long long endMsSinceEpoch = 0;
  };

  // One PATHMON's objects and its snapshot.
  struct Part {
    const ObjectCensus* census;
    Snapshot snapshot;
  };

  MetricsWriter(const ObjectCensus& census, Snapshot snapshot);
  // Several PATHMONs (of one host or several) in one exposition: each family
  // once, with the samples of every part, in order.
  explicit MetricsWriter(std::vector<Part> parts);

  // The whole exposition, handed to sink in pieces of about
  // NodeWriter::kSpillSize bytes, so that a large network never sits in
  // memory as text.
  void write(const std::function<void(std::string_view)>& sink) const;

  // A label value between its quotes: UTF-8 of the Latin-1 bytes, with
  // backslash, double quote and line feed escaped.
  static void appendLabelValue(std::string& out, std::string_view latin1);

 private:
  void appendFamily(std::string& out, const char* name, const char* help) const;

  std::vector<Part> m_parts;
  std::vector<std::string> m_scopes;  // by part: system="...",pathmon="..."
};
