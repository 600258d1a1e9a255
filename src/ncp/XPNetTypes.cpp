#include "ncp/XPNetTypes.h"

#include <iterator>

#include "ncp/EnumOrder.h"

namespace {

struct TypeWords {
  TXPNetType type;
  const char* name;
  const char* word;
};

// By TXPNetType.
constexpr TypeWords kTypes[] = {
    {xpUnknown, "xpUnknown", "unknown"}, {xpPathmon, "xpPathmon", "pathmon"}, {xpStation, "xpStation", "station"},
    {xpProcess, "xpProcess", "process"}, {xpLine, "xpLine", "line"},
};
static_assert(inEnumOrder(kTypes, &TypeWords::type));

struct StatusWords {
  TXPNetStatus status;
  const char* name;
  const char* word;
  const char* text;
};

// By TXPNetStatus.
constexpr StatusWords kStatuses[] = {
    {nsStarting, "nsStarting", "STARTING", "(Starting)"},
    {nsAbnormal, "nsAbnormal", "ABNORMAL", "(Abnormal)"},
    {nsStarted, "nsStarted", "STARTED", "(Started)"},
    {nsStopped, "nsStopped", "STOPPED", "(Stopped)"},
};
static_assert(inEnumOrder(kStatuses, &StatusWords::status));

static_assert(std::size(kStatuses) == std::size(kXPNetStatuses), "a status is missing from one of the lists");

bool known(TXPNetType type) { return type < std::size(kTypes); }
bool known(TXPNetStatus status) { return status < std::size(kStatuses); }

// A byte from elsewhere is shown abnormal: the least reassuring word.
const StatusWords& statusWords(TXPNetStatus status) { return kStatuses[known(status) ? status : nsAbnormal]; }

}  // namespace

const char* XPNetTypeName(TXPNetType type) { return known(type) ? kTypes[type].name : "?"; }

const char* XPNetStatusName(TXPNetStatus status) { return known(status) ? kStatuses[status].name : "?"; }

const char* XPNetTypeWord(TXPNetType type) { return kTypes[known(type) ? type : xpUnknown].word; }

const char* XPNetStatusWord(TXPNetStatus status) { return statusWords(status).word; }

const char* XPNetStatusText(TXPNetStatus status) { return statusWords(status).text; }

std::optional<TXPNetStatus> XPNetStatusOfWord(std::string_view word) {
  for (size_t i = 0; i < std::size(kStatuses); ++i) {
    if (word == kStatuses[i].word) return static_cast<TXPNetStatus>(i);
  }
  return std::nullopt;
}
