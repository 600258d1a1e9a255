// The exit codes of ncpctl, the contract with the scripts that call it.
#pragma once

enum class ExitCode : int {
  Done = 0,
  Usage = 1,
  Connection = 2,      // connection failed or closed by the host
  TaclRefused = 3,
  NcpRefused = 4,      // NCP logon refused or unknown PATHMON
  Timeout = 5,
  NotFound = 6,        // no object of that type and name
  Refused = 7,         // the host answered START, STOP or DELIVER with an error
};
