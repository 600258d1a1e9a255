// The exit codes of ncpctl, the contract with the scripts that call it.
#pragma once

enum class ExitCode : int {
  Done = 0,
  Usage = 1,
  Connection = 2,  // connection failed or closed by the host
  TaclRefused = 3,
  NcpRefused = 4,  // NCP logon refused or unknown PATHMON
  Timeout = 5,
  NotFound = 6,            // no object of that type and name
  VerificationFailed = 7,  // the host's certificate or host key did not verify; nothing was sent
  ObjectLimit = 8,         // the host listed more objects than --max-objects; the load stopped there
  Refused = 9,             // the host answered START, STOP or DELIVER with an error
};
