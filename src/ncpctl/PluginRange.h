// PluginRange: a threshold range in the monitoring-plugin syntax of Nagios
// and Icinga, "[@]start:end":
//
//   10      alert below 0 or above 10      10:20   alert below 10 or above 20
//   10:     alert below 10                 @10:20  alert from 10 to 20 inclusive
//   ~:10    alert above 10 (~ is minus infinity; an empty end plus infinity)
//
// A start left out is 0; the ends belong to the range. StatusRanges holds the
// ranges of one alert level (--warning or --critical) by the status whose
// count they watch, parsed from "stopped=RANGE,abnormal=RANGE".
//
// Plain values; used by CtlOptions (parsing) and CheckWriter (the verdict).
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "ncp/XPNetTypes.h"

struct PluginRange {
  std::string text;  // as given, for the performance data
  double start = 0;
  double end = 0;
  bool inside = false;  // "@": alert inside the range instead of outside

  // nullopt for text that is no range, or one whose start lies past its end.
  static std::optional<PluginRange> parse(std::string_view text);
  bool alerts(double value) const;
};

using StatusRanges = std::map<TXPNetStatus, PluginRange>;

// "stopped=5,abnormal=0:2" (status words in any letter case) into ranges;
// nullopt and one sentence in *error for anything else.
std::optional<StatusRanges> parseStatusRanges(std::string_view text, std::string* error);
