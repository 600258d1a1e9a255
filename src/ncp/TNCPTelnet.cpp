// TNCPTelnet: the TACL logon, the NCP logon and the NCP commands, each a chain
// of queued command lines whose completion handlers raise the state events.
#include "ncp/TNCPTelnet.h"

#include <cstring>
#include <iterator>
#include <string>
#include <string_view>

#include "ncp/HostPort.h"
#include "ncp/NcpParsing.h"
#include "transport/Events.h"
#include "transport/SocketErrors.h"

using ncp::ActionKind;
using ncp::ActionOutcome;
using ncp::NcpEvent;

namespace {

const char kMenuPrompt[] = "Enter Choice> ";
const char kTaclPrompt[] = "TACL 1> ";
const char kTaclPasswordPrompt[] = "Password: ";
const char kNcpPasswordPrompt[] = "PASSWORD: ";
const char kNcpStarted[] = "2 >";
const char kNcpPrompt[] = " > ";
const char kTaclPromptEnd[] = "> ";
// Enough of the greeting to find a prompt cut across chunks.
constexpr size_t kSshTailKept = 2;

// The object load: the processes, the stations with their lines and
// processes, then the statuses of stations and lines.
constexpr TNCPTelnet::ListingStep kLoadSteps[] = {
    {"STATUS PROCESS *", ncp::isObjectLine, NcpEvent::ProcessListed},
    {"INFO STATION *", ncp::isStationLine, NcpEvent::StationListed},
    {"STATUS STATION *", ncp::isObjectLine, NcpEvent::StationStatus},
    {"STATUS LINE *", ncp::isObjectLine, NcpEvent::LineStatus},
};

// The refresh of every status.
constexpr TNCPTelnet::ListingStep kRefreshSteps[] = {
    {"STATUS PROCESS *", ncp::isObjectLine, NcpEvent::ProcessStatus},
    {"STATUS STATION *", ncp::isObjectLine, NcpEvent::StationStatus},
    {"STATUS LINE *", ncp::isObjectLine, NcpEvent::LineStatus},
};

// The refresh as its operator action records it: every command, in order.
std::string refreshCommands() {
  std::string commands;
  for (const auto& step : kRefreshSteps) {
    if (!commands.empty()) commands += "; ";
    commands += step.command;
  }
  return commands;
}

bool contains(std::string_view text, std::string_view part) { return text.find(part) != std::string_view::npos; }

ActionKind actionKind(ncp::NcpAction action) {
  switch (action) {
    case ncp::NcpAction::Status:
      return ActionKind::Refresh;
    case ncp::NcpAction::Start:
      return ActionKind::Start;
    case ncp::NcpAction::Stop:
      return ActionKind::Stop;
    default:
      return ActionKind::Message;
  }
}

}  // namespace

TNCPTelnet::TNCPTelnet(QObject* owner) : TNSKTelnet(owner) {
  m_farewellGrace.setSingleShot(true);
  m_farewellGrace.setInterval(kFarewellGraceMs);
  connect(&m_farewellGrace, &QTimer::timeout, this, [this] {
    Debug(this,
          "Farewell: the host did not end the connection within " + std::to_string(kFarewellGraceMs) + " ms; closed");
    Disconnect();
  });
  m_pagePromptQuiet.setSingleShot(true);
  connect(&m_pagePromptQuiet, &QTimer::timeout, this, [this] {
    // Nothing followed the partial line: it is a whole page prompt. A reset
    // since then has emptied the line.
    if (ncp::classifyNcpPartialLine(std::string_view(CurrentLine()).substr(0, 4)) != ncp::NcpPartialLine::PagePrompt)
      return;
    try {
      answerPagePrompt();
    } catch (const ESocketException& e) {
      Debug(this, std::string("Page prompt not answered: ") + e.what());
      Disconnect();
    }
  });
  m_actions.OnAction = [this](const ncp::OperatorAction& action) {
    if (!OnOperatorAction) return;
    ncp::OperatorAction masked = action;
    for (std::string* text : {&masked.host, &masked.taclUser, &masked.pathmon, &masked.ncpUser, &masked.object,
                              &masked.command, &masked.answer})
      *text = MaskSecrets(*text);
    Raise(OnOperatorAction, masked);
  };
}

TNCPTelnet::~TNCPTelnet() {
  // The connection ends with its owner: what it still had open is recorded
  // first, and a connection still open as left.
  if (IsConnected() && !m_actions.isOpen(m_disconnectAction))
    m_disconnectAction = m_actions.begin(operatorAction(ActionKind::Disconnect));
  m_closing = true;
  endActions();
}

TNSKStringAvailable TNCPTelnet::bound(Handler handler) {
  return [this, handler](TTnCnx* sender, const std::string& str, TNSKTelnetState state) {
    (this->*handler)(sender, str, state);
  };
}

void TNCPTelnet::raiseState(NcpEvent event, std::string_view payload) {
  Raise(OnNCPState, ncp::formatEvent(event, payload));
}

void TNCPTelnet::sendListing(const std::string& command, Handler handler) {
  SendCommand(command, NCPCmdTerminationCheck(), bound(handler));
}

// A command whose answer nobody examines: its lines go to the owner's general
// handler as it is assigned now.
void TNCPTelnet::sendPlain(const std::string& command) { SendCommand(command, PromptEndCheck(), OnStringAvailable); }

// A command the host may refuse: its lines go to the owner's general handler
// as it is assigned now, and an error line among them is raised as 014 too,
// so that a refused START, STOP or DELIVER is not taken for done. A host that
// echoes a password may quote it in these lines: they go on masked, to
// every message, trace and record alike.
void TNCPTelnet::sendControl(const std::string& command, ncp::OperatorActions::Id action) {
  SendCommand(command, PromptEndCheck(),
              [this, action, owner = OnStringAvailable](TTnCnx* sender, const std::string& str, TNSKTelnetState state) {
                const std::string line = MaskSecrets(str);
                if (state == atsCommandEnd) {
                  m_actions.finish(action, ActionOutcome::Accepted);
                } else if (ncp::isErrorLine(str)) {
                  m_actions.refuse(action, line);
                  raiseState(NcpEvent::CommandRefused, line);
                } else {
                  m_actions.answer(action, line);
                }
                Raise(owner, sender, line, state);
              });
}

ncp::OperatorAction TNCPTelnet::operatorAction(ActionKind kind, std::string object, std::string command) const {
  ncp::OperatorAction action;
  action.kind = kind;
  action.host = m_hostField;
  action.transport = m_hostTransport;
  action.taclUser = UserName;
  // The NCP fields once an NCP logon was sent on this connection.
  action.pathmon = m_pathmon;
  if (!m_pathmon.empty()) action.ncpUser = NCPUserName;
  action.object = std::move(object);
  action.command = std::move(command);
  return action;
}

// ---- TACL logon ------------------------------------------------------------

void TNCPTelnet::Logon(const std::string& aHost, const std::string& aUserName, const std::string& aPassword,
                       ActionKind kind) {
  RequireSafeCommandText(aHost, "Host");
  RequireCommandWord(aUserName, "TACL user");
  const ncp::HostPort hostPort = ncp::splitHostPort(aHost);
  // An empty password is a failed logon the host counts against the user;
  // over SSH it leaves the login to the user's agent.
  if (hostPort.transport == TransportKind::Ssh)
    RequireSafeCommandText(aPassword, "TACL password");
  else
    RequireCommandWord(aPassword, "TACL password");

  Host = hostPort.host;
  Port = hostPort.port;
  Transport = hostPort.transport;
  Ssh.wipePassword();
  if (Transport == TransportKind::Ssh) {
    Ssh.user = aUserName;
    Ssh.password = aPassword;
  }
  m_ncpStarted = false;
  UserName = aUserName;
  Password = aPassword;

  const bool connected = IsConnected();
  Debug(this, "Connected: " + std::to_string(connected ? 1 : 0));
  if (connected) Disconnect();
  m_hostField = aHost;
  m_hostTransport = hostPort.transport;
  m_pathmon.clear();
  m_hostHeard = false;

  SetAuthorized(false);
  ClearCurrentLine();
  // Whatever the old connection left running or waiting belongs to it.
  ResetCommands();
  m_taclLogonStep = 0;
  m_ncpLogonStep = 0;
  m_netObjectsStep = 0;
  m_statusAllStep = 0;
  m_ncpSearched = 0;
  m_menuTail.clear();

  if (Transport == TransportKind::Ssh) {
    InstallOwnDataHandler(
        [this](TTnCnx* sender, const char* buffer, int len) { SshStartDataAvailable(sender, buffer, len); });
  } else {
    InstallOwnDataHandler(
        [this](TTnCnx* sender, const char* buffer, int len) { MenuDataAvailable(sender, buffer, len); });
  }
  m_ncpAuthorized = false;
  m_connectAction = m_actions.begin(operatorAction(kind));
  try {
    Connect();
  } catch (const ESocketException& e) {
    m_actions.answer(m_connectAction, e.what());
    m_actions.finish(m_connectAction, ActionOutcome::Failed);
    throw;
  }
}

void TNCPTelnet::Disconnect() {
  // Without one of the session's own handlers in place, the one there is the
  // owner's already; an owner's handler assigned after the last logon stays.
  if (OwnDataHandlerInstalled()) RestoreOwnerDataHandler();
  m_closing = true;
  Close();
  m_closing = false;
  // What the connection still had (queued commands, the running one, the
  // rest of the data being read) belongs to it: a handler that disconnects
  // in the middle of a listing gets no more of its lines.
  ResetCommands();
}

void TNCPTelnet::MenuDataAvailable(TTnCnx*, const char* Buffer, int Len) {
  if (Buffer == nullptr || Len <= 0) return;
  m_hostHeard = true;
  const std::string_view chunk(Buffer, strnlen(Buffer, static_cast<size_t>(Len)));
  const std::string text = m_menuTail + std::string(chunk);
  if (!contains(text, kMenuPrompt)) {
    const size_t keep = sizeof(kMenuPrompt) - 2;
    m_menuTail = text.size() > keep ? text.substr(text.size() - keep) : text;
    return;
  }
  m_menuTail.clear();
  installSessionData();
  m_taclLogonStep = 0;
  ExpectedPrompt = kTaclPrompt;
  SendCommand("TACL", PromptEqualCheck(), bound(&TNCPTelnet::TACLLogonStep));
}

void TNCPTelnet::SshStartDataAvailable(TTnCnx*, const char* Buffer, int Len) {
  if (Buffer == nullptr || Len <= 0) return;
  const std::string text = m_menuTail + std::string(Buffer, strnlen(Buffer, static_cast<size_t>(Len)));
  // The host waits at a TACL prompt ("$DATA01 OPS 1> "): the greeting ends there.
  const size_t size = text.size();
  const bool atPrompt =
      size >= 3 && text.compare(size - 2, 2, kTaclPromptEnd) == 0 && text[size - 3] >= '0' && text[size - 3] <= '9';
  if (!atPrompt) {
    m_menuTail = size > kSshTailKept ? text.substr(size - kSshTailKept) : text;
    return;
  }
  m_menuTail.clear();
  installSessionData();
  // The SSH login was the logon: the steps go on after the password's.
  m_taclLogonStep = 3;
  SendCommand("SETPROMPT SUBVOL", PromptEndCheck(), bound(&TNCPTelnet::TACLLogonStep));
}

void TNCPTelnet::installSessionData() {
  InstallOwnDataHandler([this](TTnCnx* sender, const char* buffer, int len) {
    m_pagePromptQuiet.stop();
    SessionDataAvailable(sender, buffer, len);
  });
}

bool TNCPTelnet::ConnectOutcome(uint16_t error) {
  if (Transport != TransportKind::Ssh || error == 0) return true;
  if (const auto* ssh = dynamic_cast<const SshStream*>(Socket()); ssh && !ssh->FailureDetail().empty()) {
    Debug(this, "SSH: " + ssh->FailureDetail());
  }
  if (error != socketerrors::kSshAuthRefused) return true;
  Debug(this, "SSH authentication refused");
  // The SSH login is the TACL logon: refused as telnet's is.
  m_actions.finish(m_connectAction, ActionOutcome::Refused);
  raiseState(NcpEvent::TaclRefused);
  return false;
}

void TNCPTelnet::TACLLogonStep(TTnCnx*, const std::string& Str, TNSKTelnetState State) {
  if (State == atsCommandEnd) {
    ++m_taclLogonStep;
    switch (m_taclLogonStep) {
      case 1:
        ExpectedPrompt = kTaclPasswordPrompt;
        SendCommand("logon " + UserName, PromptEqualCheck(), bound(&TNCPTelnet::TACLLogonStep));
        break;
      case 2:
        SendCommand(Password, PromptEndCheck(), bound(&TNCPTelnet::TACLLogonStep));
        break;
      case 3:
        SendCommand("SETPROMPT SUBVOL", PromptEndCheck(), bound(&TNCPTelnet::TACLLogonStep));
        break;
      case 4:
        SendCommand("#mysystem", PromptEndCheck(), bound(&TNCPTelnet::TACLLogonStep));
        break;
      case 5:
        m_actions.finish(m_connectAction, Authorized() ? ActionOutcome::Accepted : ActionOutcome::Refused);
        Debug(this, "Connected");
        Raise(OnConnect, this);
        raiseState(Authorized() ? NcpEvent::TaclLoggedOn : NcpEvent::TaclRefused);
        break;
      default:
        break;
    }
    return;
  }
  if (m_taclLogonStep == 2) {
    m_actions.answer(m_connectAction, Str);
    if (contains(Str, "*ERROR*")) SetAuthorized(false);
  } else if (m_taclLogonStep == 4) {
    if (ncp::isSystemLine(Str)) {
      raiseState(NcpEvent::SystemName, Str);
      SetAuthorized(true);
    }
  }
}

// ---- NCP logon ---------------------------------------------------------------

void TNCPTelnet::LogonNCP(const std::string& aPathmon, const std::string& aUser, const std::string& aPassword) {
  RequireSafeCommandText(aPathmon, "PATHMON name");
  RequireCommandWord(aUser, "NCP user");
  RequireCommandWord(aPassword, "NCP password");

  NCPUserName = aUser;
  NCPPassword = aPassword;
  AddDebugSecret(aPassword);
  m_pathmon = aPathmon;
  m_ncpAction = m_actions.begin(operatorAction(ActionKind::NcpLogon, aPathmon, "NCPCOM " + aPathmon));
  m_ncpLogonStep = 0;
  if (!m_ncpStarted && Authorized()) {
    SendCommand("NCPCOM " + aPathmon, PromptEndCheck(), bound(&TNCPTelnet::EvNCPLogin));
    return;
  }
  raiseState(NcpEvent::PathmonChange);
  m_ncpAuthorized = false;
  m_ncpLogonStep = 1;
  sendPlain("EXIT");
  SendCommand("NCPCOM " + aPathmon, PromptEndCheck(), bound(&TNCPTelnet::EvNCPLogin));
}

void TNCPTelnet::EvNCPLogin(TTnCnx*, const std::string& Str, TNSKTelnetState State) {
  Debug(this, "EvNCPLogin->" + Str);
  if (State != atsCommandEnd) {
    if (m_ncpLogonStep == 0 || m_ncpLogonStep == 2) m_actions.answer(m_ncpAction, Str);
    if (m_ncpLogonStep == 0) {
      if (contains(Str, kNcpStarted)) m_ncpLogonStep = 1;
    } else if (m_ncpLogonStep == 2) {
      if (!Str.empty()) m_ncpAuthorized = Str.size() >= 31 && Str[30] == '1';
    }
    return;
  }
  ++m_ncpLogonStep;
  switch (m_ncpLogonStep) {
    case 1:
      if (contains(Str, kNcpStarted)) {
        ExpectedPrompt = kNcpPasswordPrompt;
        SendCommand("SET USER " + NCPUserName, PromptEqualCheck(), bound(&TNCPTelnet::EvNCPLogin));
        m_ncpStarted = true;
      } else {
        m_actions.finish(m_ncpAction, ActionOutcome::Refused);
      }
      break;
    case 2:
      SendCommand(NCPPassword, PromptEndCheck(), bound(&TNCPTelnet::EvNCPLogin));
      break;
    case 3:
      m_actions.finish(m_ncpAction, m_ncpAuthorized ? ActionOutcome::Accepted : ActionOutcome::Refused);
      if (m_ncpAuthorized) {
        raiseState(NcpEvent::NcpLoggedOn, Str);
      } else {
        raiseState(NcpEvent::NcpRefused, Str);
        sendPlain("EXIT");
        m_ncpStarted = false;
      }
      break;
    default:
      break;
  }
}

// ---- PATHMON discovery -----------------------------------------------------

void TNCPTelnet::GetPathmon() {
  SendCommand("STATUS *, PROG $*.*.PATHMON", PromptEndCheck(), bound(&TNCPTelnet::EvGetPathmon));
}

void TNCPTelnet::EvGetPathmon(TTnCnx*, const std::string& Str, TNSKTelnetState State) {
  if (State == atsCommandEnd) {
    raiseState(NcpEvent::PathmonsListed);
    return;
  }
  if (!ncp::isPathmonLine(Str)) return;
  Debug(this, "EvGetPathmon->" + Str);
  // The name goes back to the host in NCPCOM: a name from the host is held to
  // the rule an operator's is, and one that would change the command is no
  // PATHMON to offer.
  try {
    RequireSafeObjectName(ncp::pathmonName(ncp::formatEvent(NcpEvent::PathmonListed, Str)), "PATHMON name");
  } catch (const EUnsafeCommandText& e) {
    Debug(this, std::string("EvGetPathmon skipped: ") + e.what());
    return;
  }
  raiseState(NcpEvent::PathmonListed, Str);
}

// ---- Object load and status refresh ---------------------------------------

void TNCPTelnet::GetNetObjects() {
  m_netObjectsStep = 0;
  sendListing(kLoadSteps[0].command, &TNCPTelnet::EvGetNetObjects);
}

void TNCPTelnet::EvGetNetObjects(TTnCnx*, const std::string& Str, TNSKTelnetState State) {
  listingStep(kLoadSteps, m_netObjectsStep, &TNCPTelnet::EvGetNetObjects, Str, State);
}

void TNCPTelnet::StatusAll() {
  if (!(m_ncpStarted && m_ncpAuthorized)) return;
  m_statusAllStep = 0;
  sendListing(kRefreshSteps[0].command, &TNCPTelnet::EvStatusAll);
}

void TNCPTelnet::PerformStatusAll() {
  if (BeginStatusAllAction()) StatusAll();
}

bool TNCPTelnet::BeginStatusAllAction() {
  if (!(m_ncpStarted && m_ncpAuthorized)) return false;
  m_statusAllAction = m_actions.begin(operatorAction(ActionKind::Refresh, "*", refreshCommands()));
  return true;
}

void TNCPTelnet::FinishStatusAllAction(ActionOutcome outcome) { m_actions.finish(m_statusAllAction, outcome); }

void TNCPTelnet::EvStatusAll(TTnCnx*, const std::string& Str, TNSKTelnetState State) {
  listingStep(kRefreshSteps, m_statusAllStep, &TNCPTelnet::EvStatusAll, Str, State);
  if (m_statusAllStep == std::size(kRefreshSteps)) m_actions.finish(m_statusAllAction, ActionOutcome::Accepted);
}

std::span<const TNCPTelnet::ListingStep> TNCPTelnet::LoadSteps() { return kLoadSteps; }

std::span<const TNCPTelnet::ListingStep> TNCPTelnet::RefreshSteps() { return kRefreshSteps; }

void TNCPTelnet::RunListing(const ListingStep& step, std::function<void()> ended) {
  if (!(m_ncpStarted && m_ncpAuthorized)) return;
  SendCommand(step.command, NCPCmdTerminationCheck(),
              [this, &step, ended = std::move(ended)](TTnCnx*, const std::string& str, TNSKTelnetState state) {
                ncpLineSeen();
                if (state == atsCommandEnd) return ended();
                if (step.accepts(str)) raiseState(step.event, str);
              });
}

template <size_t N>
void TNCPTelnet::listingStep(const ListingStep (&steps)[N], uint32_t& step, Handler handler, const std::string& Str,
                             TNSKTelnetState State) {
  ncpLineSeen();
  if (State == atsCommandEnd) {
    ++step;
    if (step < N) sendListing(steps[step].command, handler);
    return;
  }
  if (step < N && steps[step].accepts(Str)) raiseState(steps[step].event, Str);
}

// ---- Commands on one object ---------------------------------------------------

void TNCPTelnet::Command(ncp::NcpAction action, TXPNetType type, const std::string& aName) {
  objectCommand(action, type, aName, false);
}

void TNCPTelnet::objectCommand(ncp::NcpAction action, TXPNetType type, const std::string& aName, bool recorded) {
  const ncp::ObjectKind* kind = ncp::commandKind(action, type);
  if (!kind) return;
  RequireSafeObjectName(aName, kind->role);
  const std::string line = ncp::commandLine(ncp::actionWords(action), *kind, aName);
  const bool status = action == ncp::NcpAction::Status;
  if (status && !(m_ncpStarted && m_ncpAuthorized)) return;
  const ncp::OperatorActions::Id id =
      recorded ? m_actions.begin(operatorAction(actionKind(action), std::string(kind->keyword) + ' ' + aName, line))
               : 0;
  if (!status) return sendControl(line, id);
  SendCommand(line, NCPCmdTerminationCheck(), [this, type, id](TTnCnx*, const std::string& str, TNSKTelnetState state) {
    EvStatus(type, str, state);
    if (state == atsCommandEnd) {
      m_actions.finish(id, ActionOutcome::Accepted);
    } else if (ncp::isErrorLine(str)) {
      m_actions.refuse(id, str);
    } else if (ncp::isObjectLine(str)) {
      m_actions.answer(id, str);
    }
  });
}

void TNCPTelnet::Perform(ncp::NcpAction action, TXPNetType type, const std::string& aName) {
  objectCommand(action, type, aName, true);
  if (ncp::actionWords(action).statusFollows) Command(ncp::NcpAction::Status, type, aName);
}

void TNCPTelnet::EvStatus(TXPNetType type, const std::string& Str, TNSKTelnetState) {
  const ncp::ObjectKind* kind = ncp::objectKind(type);
  if (!kind) return;
  ncpLineSeen();
  Debug(nullptr, std::string("EvStatus") + kind->word + "->" + Str);
  if (ncp::isObjectLine(Str)) raiseState(kind->statusEvent, Str);
}

void TNCPTelnet::ExitNCP() { sendPlain("EXIT"); }

void TNCPTelnet::Logout() { SendCommand("LOGOUT", nullptr, nullptr); }

void TNCPTelnet::Farewell(bool exitNcp) {
  if (!IsConnected()) return;
  const bool leaveTacl = exitNcp || Authorized();
  m_disconnectAction = m_actions.begin(
      operatorAction(ActionKind::Disconnect, {}, leaveTacl ? (exitNcp ? "EXIT; LOGOUT" : "LOGOUT") : ""));
  if (!leaveTacl) return Disconnect();
  // The running command's lines still tell a listing's check where each
  // line starts, so that its end is found.
  AbandonCommands([this](TTnCnx*, const std::string&, TNSKTelnetState) { ncpLineSeen(); });
  try {
    if (exitNcp) ExitNCP();
    Logout();
  } catch (const ESocketException& e) {
    Debug(this, std::string("Farewell not sent: ") + e.what());
    Disconnect();
    return;
  }
  m_farewellGrace.start();
}

void TNCPTelnet::ConnectionClosed() {
  endActions();
  m_farewellGrace.stop();
  m_ncpStarted = false;
  m_ncpAuthorized = false;
  TNSKTelnet::ConnectionClosed();
}

void TNCPTelnet::endActions() {
  const TStream* socket = Socket();
  const int error = socket ? socket->LastError() : 0;
  const std::string reason = error != 0 ? socketerrors::message(error) : std::string();
  const bool asked = m_closing || m_actions.isOpen(m_disconnectAction);
  m_actions.finishAll([&](ncp::OperatorAction& action) {
    if (action.kind == ActionKind::Disconnect) return ActionOutcome::Accepted;
    if (action.answer.empty()) action.answer = reason;
    if (ncp::opensConnection(action.kind) && !m_hostHeard) return ActionOutcome::Failed;
    return ActionOutcome::Lost;
  });
  if (asked || !Authorized()) return;
  ncp::OperatorAction lost = operatorAction(ActionKind::Disconnect);
  lost.answer = reason.empty() ? "the host closed the connection" : reason;
  m_actions.record(std::move(lost), ActionOutcome::Lost);
}

// ---- End of an NCPCOM listing ------------------------------------------------------

void TNCPTelnet::CheckNCPCmdTermination(TTnCnx*, std::string& currLine, bool& bterminate) {
  const std::string_view line(currLine);
  if (ncp::classifyNcpPartialLine(line.substr(0, 4)) == ncp::NcpPartialLine::PagePrompt) {
    bterminate = false;
    if (ncp::isWholePagePrompt(line)) {
      answerPagePrompt();
    } else if (PendingChunkCount() == 0) {
      // Bytes already waiting follow the prompt; only a line nothing has
      // followed waits for the quiet.
      m_pagePromptQuiet.start(PagePromptQuietMs);
    }
    return;
  }
  // Two characters of what was searched are searched again, so a prompt cut
  // across two chunks is found.
  if (m_ncpSearched > line.size()) m_ncpSearched = 0;
  const size_t from = m_ncpSearched > 2 ? m_ncpSearched - 2 : 0;
  bterminate = line.find(kNcpPrompt, from) != std::string_view::npos;
  m_ncpSearched = bterminate ? 0 : line.size();
}

void TNCPTelnet::answerPagePrompt() {
  m_pagePromptQuiet.stop();
  SendText("\r\n");
  // The check's partial line is the session's current line itself.
  ClearCurrentLine();
  m_ncpSearched = 0;
}

TNSKTelnetCheckCmdTermination TNCPTelnet::NCPCmdTerminationCheck() {
  return [this](TTnCnx* sender, std::string& currLine, bool& bterminate) {
    CheckNCPCmdTermination(sender, currLine, bterminate);
  };
}
