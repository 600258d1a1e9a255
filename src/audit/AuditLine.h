// AuditLine: one operator action as one line of the audit trail, a JSON
// object on one line (JSON Lines): time (ISO 8601, UTC, milliseconds), the
// operating-system user, the program, the host with its transport, the
// users, the action, its object and command line, the outcome and the
// host's answer. Host text is Latin-1 and is written as UTF-8; a field that
// does not apply is null. Pure functions; used by AuditTrail.
#pragma once

#include <string>
#include <string_view>

#include "ncp/OperatorActions.h"

namespace audit {

// The line, without its line end.
std::string auditLine(const ncp::OperatorAction& action, const std::string& osUser, const std::string& program);

}  // namespace audit
