// Network object types and statuses shared by the NCP session, the status
// parsing rules and the registry.
#pragma once

#include <cstdint>

enum TXPNetType : uint8_t { xpUnknown = 0, xpPathmon = 1, xpStation = 2, xpProcess = 3, xpLine = 4 };

enum TXPNetStatus : uint8_t { nsStarting = 0, nsAbnormal = 1, nsStarted = 2, nsStopped = 3 };

// The identifiers as written in the enumerations ("xpLine", "nsStopped").
const char* XPNetTypeName(TXPNetType type);
const char* XPNetStatusName(TXPNetStatus status);
