#include "ncp/NcpParsing.h"

#include <algorithm>

namespace ncp {

namespace {

// The blank pads the host's fixed columns: it ends an unquoted name part and
// is trimmed. A control character is text standing in its column, so a name
// that holds one is that whole name, never a shorter one that names another
// object.
bool isBlank(char c) { return c == ' '; }

bool charAt(std::string_view line, size_t column, char expected) {
  return line.size() >= column && line[column - 1] == expected;
}

}  // namespace

std::string positions(std::string_view text, size_t a, size_t b) {
  if (a == 0) a = 1;
  if (b < a || a > text.size()) return {};
  return std::string(text.substr(a - 1, b - a + 1));
}

std::string trim(std::string_view text) {
  size_t first = 0;
  size_t last = text.size();
  while (first < last && isBlank(text[first])) ++first;
  while (last > first && isBlank(text[last - 1])) --last;
  return std::string(text.substr(first, last - first));
}

bool isSystemLine(std::string_view line) { return charAt(line, 1, '\\'); }
bool isPathmonLine(std::string_view line) { return charAt(line, 10, 'B'); }
bool isObjectLine(std::string_view line) { return charAt(line, 4, '\\'); }
bool isStationLine(std::string_view line) { return charAt(line, 2, 'E'); }

bool isErrorLine(std::string_view line) {
  const size_t first = line.find_first_not_of(' ');
  if (first == std::string_view::npos) return false;
  const std::string_view text = line.substr(first);
  return text.substr(0, 9) == "*** ERROR" || text.substr(0, 7) == "*ERROR*";
}

TXPNetStatus StatusFromText(std::string_view text) { return XPNetStatusOfWord(trim(text)).value_or(nsAbnormal); }

std::vector<std::string> splitName(std::string_view field) {
  const size_t end = std::min(field.find('\0'), field.size());
  field = field.substr(0, end);

  std::vector<std::string> parts;
  size_t i = 0;
  auto skip = [&] {
    while (i < field.size() && isBlank(field[i])) ++i;
  };

  skip();
  while (i < field.size()) {
    std::string part;
    if (field[i] == '"') {
      ++i;
      while (i < field.size()) {
        if (field[i] == '"') {
          if (i + 1 < field.size() && field[i + 1] == '"') {
            part += '"';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        part += field[i++];
      }
    } else {
      const size_t start = i;
      while (i < field.size() && field[i] != '.' && !isBlank(field[i])) ++i;
      part.assign(field.substr(start, i - start));
    }
    parts.push_back(std::move(part));
    skip();
    if (i < field.size() && field[i] == '.') {
      if (i + 1 == field.size()) parts.emplace_back();
      ++i;
      skip();
    }
  }
  return parts;
}

std::string hostName(std::string_view eventText) { return positions(eventText, 5, 18); }

std::string pathmonName(std::string_view eventText) { return trim(positions(eventText, 4, 12)); }

std::optional<std::string> objectName(std::string_view eventText) {
  const std::vector<std::string> parts = splitName(positions(eventText, 7, 41));
  if (parts.size() < 3) return std::nullopt;
  std::string name = trim(parts[2]);
  if (name.empty()) return std::nullopt;
  return name;
}

TXPNetStatus objectStatus(std::string_view eventText) { return StatusFromText(positions(eventText, 50, 58)); }

std::string stationLineName(std::string_view eventText) { return trim(positions(eventText, 50, 65)); }

std::string stationProcessName(std::string_view eventText) { return trim(positions(eventText, 67, 82)); }

NcpPartialLine classifyNcpPartialLine(std::string_view currLine) {
  if (currLine.substr(0, 4) == "MORE") return NcpPartialLine::PagePrompt;
  if (currLine.find(" > ") != std::string_view::npos) return NcpPartialLine::Prompt;
  return NcpPartialLine::Continues;
}

bool isWholePagePrompt(std::string_view currLine) {
  static constexpr std::string_view kNcpcomPagePrompt = "MORE (RETURN TO CONTINUE) ";
  return currLine == kNcpcomPagePrompt || currLine == kNcpcomPagePrompt.substr(0, kNcpcomPagePrompt.size() - 1);
}

}  // namespace ncp
