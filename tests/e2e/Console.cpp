#include "Console.h"

#include "ncp/NcpParsing.h"
#include "support/EventLoop.h"

Console::Console() {
  session.OnNCPState = [this](const std::string& text) {
    events.push_back(text);
    const std::string code = text.substr(0, 3);
    if (code == "002") session.GetPathmon();
    if (code == "006") session.GetNetObjects();
  };
  session.OnStringAvailable = [this](TTnCnx*, const std::string& line, TNSKTelnetState) { ownerLines.push_back(line); };
  session.OnSessionClosed = [this](TTnCnx*, uint16_t) { closedByHost = true; };
}

bool Console::waitEvent(const std::string& code, size_t from, int timeoutMs) const {
  return korvtest::waitUntil([&] { return !withCode(code, from).empty(); }, timeoutMs);
}

bool Console::waitIdle(int timeoutMs) {
  return korvtest::waitUntil([&] { return session.State() == atsIdle && session.QueueCount() == 0; }, timeoutMs);
}

bool Console::logonTacl(const std::string& hostPort, const std::string& user, const std::string& password,
                        int timeoutMs) {
  const size_t from = events.size();
  session.Logon(hostPort, user, password);
  const bool ended =
      korvtest::waitUntil([&] { return !withCode("008", from).empty() || !withCode("001", from).empty(); }, timeoutMs);
  return ended && waitIdle(timeoutMs);
}

bool Console::logonNcp(const std::string& pathmon, const std::string& password, int timeoutMs) {
  const size_t from = events.size();
  session.LogonNCP(pathmon, "NCPOPER", password);
  const bool ended =
      korvtest::waitUntil([&] { return !withCode("006", from).empty() || !withCode("007", from).empty(); }, timeoutMs);
  return ended && waitIdle(timeoutMs);
}

std::vector<std::string> Console::pathmons() const {
  std::vector<std::string> names;
  for (const auto& e : withCode("004")) names.push_back(ncp::pathmonName(e));
  return names;
}

std::vector<std::string> Console::codeRuns(size_t from) const {
  std::vector<std::string> runs;
  for (size_t i = from; i < events.size(); ++i) {
    const std::string code = events[i].substr(0, 3);
    if (runs.empty() || runs.back() != code) runs.push_back(code);
  }
  return runs;
}

std::vector<std::string> Console::withCode(const std::string& code, size_t from) const {
  std::vector<std::string> out;
  for (size_t i = from; i < events.size(); ++i) {
    if (events[i].compare(0, 3, code) == 0) out.push_back(events[i]);
  }
  return out;
}
