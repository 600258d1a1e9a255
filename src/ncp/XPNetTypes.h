// Network object types and statuses shared by the NCP session, the status
// parsing rules and the registry, with every word each is written as: one
// table a type and one a status, so that the host's status words, the tree's
// status texts and the console's words cannot drift apart.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

enum TXPNetType : uint8_t { xpUnknown = 0, xpPathmon = 1, xpStation = 2, xpProcess = 3, xpLine = 4 };

enum TXPNetStatus : uint8_t { nsStarting = 0, nsAbnormal = 1, nsStarted = 2, nsStopped = 3 };

// Every status, in the order the console's reports list them.
inline constexpr TXPNetStatus kXPNetStatuses[] = {nsStarted, nsStarting, nsStopped, nsAbnormal};

// The identifiers as written in the enumerations ("xpLine", "nsStopped"); "?"
// for a value outside them.
const char* XPNetTypeName(TXPNetType type);
const char* XPNetStatusName(TXPNetStatus status);

// "line", "station", "process", "pathmon"; "unknown" for xpUnknown and a
// value outside the enumeration.
const char* XPNetTypeWord(TXPNetType type);

// The host's own word ("STARTED", "STARTING", "STOPPED", "ABNORMAL"); a value
// outside the enumeration is abnormal.
const char* XPNetStatusWord(TXPNetStatus status);
// The status as a node shows it ("(Started)"); a value outside the
// enumeration is abnormal.
const char* XPNetStatusText(TXPNetStatus status);
// The status the host's word names, compared exactly; none for any other text.
std::optional<TXPNetStatus> XPNetStatusOfWord(std::string_view word);
