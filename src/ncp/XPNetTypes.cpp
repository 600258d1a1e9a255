#include "ncp/XPNetTypes.h"

const char* XPNetTypeName(TXPNetType type) {
  switch (type) {
    case xpUnknown: return "xpUnknown";
    case xpPathmon: return "xpPathmon";
    case xpStation: return "xpStation";
    case xpProcess: return "xpProcess";
    case xpLine: return "xpLine";
  }
  return "?";
}

const char* XPNetStatusName(TXPNetStatus status) {
  switch (status) {
    case nsStarting: return "nsStarting";
    case nsAbnormal: return "nsAbnormal";
    case nsStarted: return "nsStarted";
    case nsStopped: return "nsStopped";
  }
  return "?";
}
