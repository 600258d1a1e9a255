#include "ncp/NcpCommands.h"

#include "ncp/EnumOrder.h"

namespace ncp {

namespace {

constexpr ObjectKind kKinds[] = {
    {xpLine, "LINE", "Line", "Line name", NcpEvent::LineStatus},
    {xpStation, "STATION", "Station", "Station name", NcpEvent::StationStatus},
    {xpProcess, "PROCESS", "Process", "Process name", NcpEvent::ProcessStatus},
};

// By NcpAction.
constexpr ActionWords kActions[] = {
    {NcpAction::Status, "STATUS", "", "Refresh", false, false},
    {NcpAction::Start, "START", "", "Start", false, true},
    {NcpAction::Stop, "STOP", "", "Stop", false, true},
    {NcpAction::SignOn, "DELIVER", ", /LOGON ALL/", "SignOn", true, false},
    {NcpAction::KeyChange, "DELIVER", ", \"PIN KEY CHANGE B\"", "KeyChange", true, false},
    {NcpAction::WarmBoot, "DELIVER", ", /9501****/", "WarmBoot", true, false},
};
static_assert(inEnumOrder(kActions, &ActionWords::action));

}  // namespace

std::span<const ObjectKind> objectKinds() { return kKinds; }

const ObjectKind* objectKind(TXPNetType type) {
  for (const ObjectKind& kind : kKinds) {
    if (kind.type == type) return &kind;
  }
  return nullptr;
}

const ActionWords& actionWords(NcpAction action) { return kActions[static_cast<size_t>(action)]; }

const ObjectKind* commandKind(NcpAction action, TXPNetType type) {
  if (actionWords(action).processOnly && type != xpProcess) return nullptr;
  return objectKind(type);
}

std::string commandLine(const ActionWords& action, const ObjectKind& kind, const std::string& name) {
  return std::string(action.verb) + ' ' + kind.keyword + ' ' + name + action.message;
}

std::string actionName(const ActionWords& action, const ObjectKind& kind) {
  return std::string(action.name) + kind.word;
}

}  // namespace ncp
