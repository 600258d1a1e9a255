// The exit codes of ncpctl, the contract with the scripts that call it, and
// what each means as the usage tells it.
#pragma once

#include "ncp/EnumOrder.h"

enum class ExitCode : int {
  Done = 0,
  Usage = 1,
  Connection = 2,
  TaclRefused = 3,
  NcpRefused = 4,
  Timeout = 5,
  NotFound = 6,
  VerificationFailed = 7,
  ObjectLimit = 8,
  Refused = 9,
};

struct ExitCodeMeaning {
  ExitCode code;
  const char* meaning;
};

// By ExitCode.
inline constexpr ExitCodeMeaning kExitCodeMeanings[] = {
    {ExitCode::Done, "done"},
    {ExitCode::Usage, "usage, or a local file (audit, CA, known-hosts) that cannot be used"},
    {ExitCode::Connection, "connection failed or closed"},
    {ExitCode::TaclRefused, "TACL logon refused"},
    {ExitCode::NcpRefused, "NCP logon refused or unknown PATHMON"},
    {ExitCode::Timeout, "time-out"},
    {ExitCode::NotFound, "object not found"},
    {ExitCode::VerificationFailed, "the host's certificate or SSH host key did not verify (nothing was sent)"},
    {ExitCode::ObjectLimit, "the host listed more than --max-objects objects"},
    {ExitCode::Refused, "the host refused the start, stop or message"},
};
static_assert(inEnumOrder(kExitCodeMeanings, &ExitCodeMeaning::code));
