// NcpCommands: the NCP commands on one object as one table, shared by the
// session that sends them and the front ends that offer them. An action
// (status, start, stop, and the three DELIVER messages) exists for some
// object types: STATUS, START and STOP for lines, stations and processes, the
// messages for processes. Each row gives the command line the host gets, the
// name's role in a refusal of an unsafe name, the operator's name for the
// action ("StartLine") and whether the object's status follows it so that
// the tree shows the outcome (START and STOP).
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "ncp/NcpEvent.h"
#include "ncp/XPNetTypes.h"

namespace ncp {

enum class NcpAction : uint8_t { Status, Start, Stop, SignOn, KeyChange, WarmBoot };

// The object types an action exists for.
struct ObjectKind {
  TXPNetType type;
  const char* keyword;   // "LINE": the command's word for it
  const char* word;      // "Line": the operator's word for it
  const char* role;      // "Line name": what its name is in a refusal
  NcpEvent statusEvent;  // what a status line of it is raised as
};

struct ActionWords {
  NcpAction action;
  const char* verb;     // "START", "DELIVER"
  const char* message;  // after the name: the DELIVER message, else empty
  const char* name;     // "Start", "Refresh": the operator's word for it
  bool processOnly;     // the DELIVER messages
  bool statusFollows;   // START and STOP
};

// Lines, stations and processes, in that order.
std::span<const ObjectKind> objectKinds();
// The kind of a line, station or process; null for any other type.
const ObjectKind* objectKind(TXPNetType type);
const ActionWords& actionWords(NcpAction action);

// The kind the action exists for on that type, or null.
const ObjectKind* commandKind(NcpAction action, TXPNetType type);
// "START LINE L1", "DELIVER PROCESS P1, /LOGON ALL/".
std::string commandLine(const ActionWords& action, const ObjectKind& kind, const std::string& name);
// "StartLine", "RefreshStation", "SignOnProcess": the operator's name of the
// action on the kind.
std::string actionName(const ActionWords& action, const ObjectKind& kind);

}  // namespace ncp
