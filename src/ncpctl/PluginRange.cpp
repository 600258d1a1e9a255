#include "ncpctl/PluginRange.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

std::optional<double> number(std::string_view text) {
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) return std::nullopt;
  return value;
}

}  // namespace

std::optional<PluginRange> PluginRange::parse(std::string_view text) {
  PluginRange range;
  range.text = text;
  if (!text.empty() && text.front() == '@') {
    range.inside = true;
    text.remove_prefix(1);
  }
  std::string_view startText, endText = text;
  if (const size_t colon = text.find(':'); colon != std::string_view::npos) {
    startText = text.substr(0, colon);
    endText = text.substr(colon + 1);
    if (endText.empty()) {
      range.end = kInfinity;
    }
  } else if (text.empty()) {
    return std::nullopt;
  }
  if (startText == "~") {
    range.start = -kInfinity;
  } else if (!startText.empty()) {
    const auto start = number(startText);
    if (!start) return std::nullopt;
    range.start = *start;
  }
  if (!endText.empty()) {
    const auto end = number(endText);
    if (!end) return std::nullopt;
    range.end = *end;
  }
  if (range.start > range.end) return std::nullopt;
  return range;
}

bool PluginRange::alerts(double value) const {
  const bool within = value >= start && value <= end;
  return inside ? within : !within;
}

std::optional<StatusRanges> parseStatusRanges(std::string_view text, std::string* error) {
  StatusRanges ranges;
  while (true) {
    const size_t comma = text.find(',');
    const std::string_view item = text.substr(0, comma);
    const size_t equals = item.find('=');
    std::string word(item.substr(0, equals == std::string_view::npos ? 0 : equals));
    for (char& c : word) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const auto status = XPNetStatusOfWord(word);
    if (!status) {
      *error = "a threshold is STATUS=RANGE with STATUS started, starting, stopped or abnormal, not \"" +
               std::string(item) + "\"";
      return std::nullopt;
    }
    const auto range = PluginRange::parse(item.substr(equals + 1));
    if (!range) {
      *error = "\"" + std::string(item.substr(equals + 1)) +
               "\" is no range: [@]START:END, START:, ~:END or END (numbers, START at most END)";
      return std::nullopt;
    }
    ranges[*status] = *range;
    if (comma == std::string_view::npos) return ranges;
    text.remove_prefix(comma + 1);
  }
}
