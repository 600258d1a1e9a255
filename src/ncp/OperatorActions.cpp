#include "ncp/OperatorActions.h"

#include <algorithm>

namespace ncp {

const char* actionWord(ActionKind kind) {
  switch (kind) {
    case ActionKind::Connect:
      return "connect";
    case ActionKind::NcpLogon:
      return "ncp-logon";
    case ActionKind::Start:
      return "start";
    case ActionKind::Stop:
      return "stop";
    case ActionKind::Refresh:
      return "refresh";
    case ActionKind::Message:
      return "message";
    case ActionKind::Disconnect:
      return "disconnect";
    case ActionKind::Acknowledge:
      return "acknowledge";
    case ActionKind::Reconnect:
      return "reconnect";
  }
  return "";
}

const char* outcomeWord(ActionOutcome outcome) {
  switch (outcome) {
    case ActionOutcome::Accepted:
      return "accepted";
    case ActionOutcome::Refused:
      return "refused";
    case ActionOutcome::Failed:
      return "failed";
    case ActionOutcome::Lost:
      return "lost";
  }
  return "";
}

OperatorActions::Id OperatorActions::begin(OperatorAction action) {
  action.time = std::chrono::system_clock::now();
  m_open.push_back({++m_lastId, std::move(action), false});
  return m_lastId;
}

OperatorActions::Open* OperatorActions::find(Id id) {
  const auto it = std::find_if(m_open.begin(), m_open.end(), [id](const Open& o) { return o.id == id; });
  return it == m_open.end() ? nullptr : &*it;
}

bool OperatorActions::isOpen(Id id) const {
  return std::any_of(m_open.begin(), m_open.end(), [id](const Open& o) { return o.id == id; });
}

void OperatorActions::answer(Id id, const std::string& line) {
  Open* open = find(id);
  if (open && !open->refused && !line.empty()) open->action.answer = line;
}

void OperatorActions::refuse(Id id, const std::string& line) {
  Open* open = find(id);
  if (!open || open->refused) return;
  open->refused = true;
  open->action.answer = line;
}

void OperatorActions::finish(Id id, ActionOutcome outcome) {
  const auto it = std::find_if(m_open.begin(), m_open.end(), [id](const Open& o) { return o.id == id; });
  if (it == m_open.end()) return;
  OperatorAction action = std::move(it->action);
  action.outcome = it->refused ? ActionOutcome::Refused : outcome;
  m_open.erase(it);
  handOn(action);
}

void OperatorActions::finishAll(const std::function<ActionOutcome(OperatorAction&)>& outcomeOf) {
  // Taken first: a handler may begin the next action while these are handed on.
  std::deque<Open> ending;
  ending.swap(m_open);
  for (Open& open : ending) {
    open.action.outcome = open.refused ? ActionOutcome::Refused : outcomeOf(open.action);
    handOn(open.action);
  }
}

void OperatorActions::record(OperatorAction action, ActionOutcome outcome) {
  action.time = std::chrono::system_clock::now();
  action.outcome = outcome;
  handOn(action);
}

void OperatorActions::handOn(OperatorAction& action) {
  if (OnAction) OnAction(action);
}

}  // namespace ncp
