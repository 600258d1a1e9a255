#include "nsk/ProcessSecrecy.h"

#ifdef __linux__
#include <sys/prctl.h>

bool keepSecretsOutOfCoreDumps() { return prctl(PR_SET_DUMPABLE, 0, 0, 0, 0) == 0; }
#else
bool keepSecretsOutOfCoreDumps() { return false; }
#endif
