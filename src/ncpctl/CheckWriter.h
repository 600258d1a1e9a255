// CheckWriter: the verdict of `ncpctl check` in the monitoring-plugin
// conventions of Nagios and Icinga: one line on standard output,
//
//   NCP OK - 40 started, 0 starting, 3 stopped, 0 abnormal | started=40;; starting=0;; stopped=3;5;10 abnormal=0;;0
//
// followed, when the counts are over several PATHMONs, by one line for each:
//
//   \SYS1 $PM01: 30 started, 0 starting, 1 stopped, 0 abnormal
//
// and the plugin state as the exit status. The counts are of the objects in
// scope (an object type, a name, or both; everything when neither is given).
// CRITICAL when a count lies in the alert zone of its --critical range,
// else WARNING when one does for its --warning range, else OK. The
// performance data give each count with its warning and critical range as
// written. UNKNOWN is for a run that could not learn the counts.
//
// Takes the counts from the census when made. Called by NcpCtl, and
// by main() for the UNKNOWN of a command line it refuses.
#pragma once

#include <array>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "ncpctl/ObjectCensus.h"
#include "ncpctl/PluginRange.h"

enum class PluginState : int { Ok = 0, Warning = 1, Critical = 2, Unknown = 3 };

class CheckWriter {
 public:
  struct Scope {
    TXPNetType type = xpUnknown;  // xpUnknown: every type
    std::string name;             // empty: every name
  };

  // One PATHMON's objects, named "SYSTEM PATHMON" in the long output.
  struct Part {
    const ObjectCensus* census;
    std::string name;
  };

  CheckWriter(const ObjectCensus& census, const Scope& scope, StatusRanges warning, StatusRanges critical);
  // The counts over every part; with more than one, the lines after the
  // first (the plugin's long output) give each part's counts under its name.
  CheckWriter(const std::vector<Part>& parts, const Scope& scope, StatusRanges warning, StatusRanges critical);

  // Whether any object is in scope; a check of a name that is not there has
  // nothing to judge.
  bool found() const { return m_found; }
  PluginState state() const;
  // The status line with its line end.
  std::string line() const;

  // "OK", "WARNING", "CRITICAL", "UNKNOWN".
  static const char* stateWord(PluginState state);
  // "started": a status as the line and the ranges write it.
  static std::string statusWord(TXPNetStatus status);
  // "NCP UNKNOWN - sentence" with its line end, the sentence made printable
  // and any "|" in it written "\x7c": it would start the performance data.
  static std::string unknownLine(const std::string& sentence);

 private:
  StatusRanges m_warning;
  StatusRanges m_critical;
  using Counts = std::array<size_t, std::size(kXPNetStatuses)>;  // by TXPNetStatus
  // "40 started, 0 starting, 3 stopped, 0 abnormal".
  static std::string countsText(const Counts& counts);

  Counts m_counts{};
  std::vector<std::pair<std::string, Counts>> m_partCounts;  // with more than one part
  bool m_found = false;
};
