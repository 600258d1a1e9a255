// TNCPTelnet: the NonStop session with the TACL logon and the NCP commands.
//
// Logon opens the connection, answers the host's service menu and logs on to
// TACL ("TACL", "logon", the password, "SETPROMPT SUBVOL", "#mysystem").
// Over SSH (an ssh:// host) the SSH login is the TACL logon: the session
// waits for the TACL prompt the host starts at, then goes on with SETPROMPT
// and #mysystem; an SSH login the host refuses is raised as TaclRefused (001).
// LogonNCP starts NCPCOM for a PATHMON and logs on to NCP; GetPathmon,
// GetNetObjects, StatusAll and the single-object operations list and refresh
// the network; START, STOP and DELIVER command it (one table of the commands
// on one object: ncp/NcpCommands.h). Every operation only queues
// command lines (SendCommand) and returns; every stage and every useful host
// line comes back on OnNCPState as an event text (ncp::NcpEvent: a
// three-digit code, then the host line).
//
// Operator text that becomes part of a command line (host, users, passwords,
// names) is checked first: a control character anywhere, an empty user, an
// empty password (but over SSH, where the agent may log on), or an
// object name with a blank, comma, quote or semicolon (which would change the
// command) throws EUnsafeCommandText and nothing is sent, queued or raised.
// A START, STOP or DELIVER the host answers with an error line raises
// CommandRefused (014) with that line.
//
// The operator's actions that reach the host (the connection and TACL logon,
// the NCP logon, Perform, PerformStatusAll and Farewell) are raised on
// OnOperatorAction once each, with their outcome, for the audit trail; so is
// a connection the host ends unasked. Every text in them has the passwords
// masked, as the debug transcript has. Automatic work (the load, StatusAll,
// the status that follows a START or STOP) is part of an action or none.
//
// The host field is read by ncp::splitHostPort ("host", "host:port",
// "[IPv6 address]:port"; without a port the telnet port 23 is used); a port
// outside 1..65535 throws EBadHostField, an EUnsafeCommandText.
//
// One session drives one connection; its owner (the main window, ncpctl,
// or a ListingPool for the connections that run listings) assigns the
// events. Single-threaded.
#pragma once

#include <QTimer>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "ncp/NcpCommands.h"
#include "ncp/NcpEvent.h"
#include "ncp/OperatorActions.h"
#include "nsk/TNSKTelnet.h"

using TUISyncCommand = std::function<void(const std::string& aCommand)>;

class TNCPTelnet : public TNSKTelnet {
 public:
  explicit TNCPTelnet(QObject* owner = nullptr);
  ~TNCPTelnet() override;

  const char* ClassName() const override { return "TNCPTelnet"; }

  bool NCPAuthorized() const { return m_ncpAuthorized; }
  bool NCPStarted() const { return m_ncpStarted; }
  std::string NCPUserName;
  std::string NCPPassword;

  TUISyncCommand OnNCPState;
  // One operator action with its outcome, once the outcome is known.
  std::function<void(const ncp::OperatorAction&)> OnOperatorAction;

  // TACL logon. kind: Reconnect for the logon the console makes by itself
  // after a loss; it is recorded as such.
  void Logon(const std::string& aHost, const std::string& aUserName, const std::string& aPassword,
             ncp::ActionKind kind = ncp::ActionKind::Connect);
  // Closes the connection and drops what it still had: the queue, the
  // running command and the rest of the data being read.
  void Disconnect();
  void MenuDataAvailable(TTnCnx* Sender, const char* Buffer, int Len);
  // Over SSH: the host's greeting up to the first TACL prompt.
  void SshStartDataAvailable(TTnCnx* Sender, const char* Buffer, int Len);
  void TACLLogonStep(TTnCnx* Sender, const std::string& Str, TNSKTelnetState State);

  // NCP.
  void LogonNCP(const std::string& aPathmon, const std::string& aUser, const std::string& aPassword);
  void GetPathmon();
  void GetNetObjects();
  void StatusAll();
  // The operator's refresh of every status: StatusAll, as one action.
  void PerformStatusAll();
  // That action for a refresh whose listings run on other connections (a
  // ListingPool): begun here while NCP is logged on (false, nothing begun,
  // otherwise), finished by its runner with the outcome. A connection that
  // ends first ends it as it ends every open action.
  bool BeginStatusAllAction();
  void FinishStatusAllAction(ncp::ActionOutcome outcome);
  // The commands on one object (ncp/NcpCommands.h); a name that would change
  // the command throws EUnsafeCommandText first. STATUS is sent only while
  // NCP is logged on, its object lines raised as the kind's status event;
  // START, STOP and DELIVER as sendControl. Nothing for an action the type
  // does not have.
  void Command(ncp::NcpAction action, TXPNetType type, const std::string& aName);
  // An operator's action on an object: the command, then the object's status
  // where it shows the outcome (START, STOP).
  void Perform(ncp::NcpAction action, TXPNetType type, const std::string& aName);
  void StatusLine(const std::string& aName) { Command(ncp::NcpAction::Status, xpLine, aName); }
  void StatusProcess(const std::string& aName) { Command(ncp::NcpAction::Status, xpProcess, aName); }
  void StatusStation(const std::string& aName) { Command(ncp::NcpAction::Status, xpStation, aName); }
  void StartLine(const std::string& aName) { Command(ncp::NcpAction::Start, xpLine, aName); }
  void StartProcess(const std::string& aName) { Command(ncp::NcpAction::Start, xpProcess, aName); }
  void StartStation(const std::string& aName) { Command(ncp::NcpAction::Start, xpStation, aName); }
  void StopLine(const std::string& aName) { Command(ncp::NcpAction::Stop, xpLine, aName); }
  void StopProcess(const std::string& aName) { Command(ncp::NcpAction::Stop, xpProcess, aName); }
  void StopStation(const std::string& aName) { Command(ncp::NcpAction::Stop, xpStation, aName); }
  void SignOn(const std::string& aName) { Command(ncp::NcpAction::SignOn, xpProcess, aName); }
  void KeyChange(const std::string& aName) { Command(ncp::NcpAction::KeyChange, xpProcess, aName); }
  void WarmBoot(const std::string& aName) { Command(ncp::NcpAction::WarmBoot, xpProcess, aName); }
  void ExitNCP();
  void Logout();
  // The orderly end of a connection the operator leaves: the waiting
  // commands are dropped and the running one is left to end unexamined
  // (AbandonCommands), then EXIT (when exitNcp) and LOGOUT, on which the host
  // ends the connection. A host that has not ended it kFarewellGraceMs after
  // this call (one that stopped answering never ends the running command)
  // has it closed here; a send that fails closes it at once. Before the TACL
  // logon has been accepted the connection is closed at once. Nothing when
  // not connected.
  void Farewell(bool exitNcp);
  // Long enough for a host that answers to end a status, START or STOP and
  // to answer EXIT and LOGOUT; short enough that a silent host does not keep
  // the session busy noticeably after the window shows itself disconnected.
  static constexpr int kFarewellGraceMs = 3000;

  // Termination check of the NCPCOM listings: answers a page prompt ("MORE")
  // with an empty line outside the queue and empties the partial line; the
  // NCPCOM prompt (" > ") ends the listing. A partial line that begins with
  // MORE but may be a prompt the reads cut short (not one of the whole forms,
  // ncp::isWholePagePrompt) is answered only once no byte has followed it for
  // PagePromptQuietMs: answered earlier, the rest of the prompt would be read
  // as output; and whatever follows an answered prompt is output, so a host
  // whose prompt is the bare word MORE loses no line. It searches only what
  // is new in the partial line since its last call, so a long line costs
  // linear time; the session's own completion handlers tell it when a line
  // starts afresh.
  void CheckNCPCmdTermination(TTnCnx* Sender, std::string& currLine, bool& bterminate);
  TNSKTelnetCheckCmdTermination NCPCmdTerminationCheck();
  // Long enough for the rest of a prompt the host wrote at once; short
  // enough that a bare MORE does not noticeably slow a listing of many pages.
  int PagePromptQuietMs = 50;

  // Completion handlers of the dialogues; not meant to be called by the owner.
  void EvNCPLogin(TTnCnx* Sender, const std::string& Str, TNSKTelnetState State);
  void EvGetPathmon(TTnCnx* Sender, const std::string& Str, TNSKTelnetState State);
  void EvGetNetObjects(TTnCnx* Sender, const std::string& Str, TNSKTelnetState State);
  void EvStatusAll(TTnCnx* Sender, const std::string& Str, TNSKTelnetState State);
  // A line of the STATUS of one object of that type.
  void EvStatus(TXPNetType type, const std::string& Str, TNSKTelnetState State);
  void EvStatusLine(TTnCnx*, const std::string& Str, TNSKTelnetState State) { EvStatus(xpLine, Str, State); }
  void EvStatusProcess(TTnCnx*, const std::string& Str, TNSKTelnetState State) { EvStatus(xpProcess, Str, State); }
  void EvStatusStation(TTnCnx*, const std::string& Str, TNSKTelnetState State) { EvStatus(xpStation, Str, State); }

  // One listing of a chain (the load, the refresh): its command, which of
  // its lines count, and the event each is raised as.
  struct ListingStep {
    const char* command;
    bool (*accepts)(std::string_view line);
    ncp::NcpEvent event;
  };

  // The listings of the object load and of the refresh of every status, in
  // the order their answers are taken.
  static std::span<const ListingStep> LoadSteps();
  static std::span<const ListingStep> RefreshSteps();
  // One listing alone, for a connection that runs listings for another one:
  // its accepted lines are raised as the step's event, then ended is called.
  // Nothing unless NCP is logged on. step must outlive the listing (the
  // tables above do).
  void RunListing(const ListingStep& step, std::function<void()> ended);

  // The host field of the last Logon as it was given, and the PATHMON of
  // the last NCP logon sent.
  const std::string& HostField() const { return m_hostField; }
  const std::string& Pathmon() const { return m_pathmon; }

  // Step counters of the dialogues (TACL logon, NCP logon, load, refresh).
  uint8_t TACLLogonStepCount() const { return m_taclLogonStep; }
  uint8_t NCPLogonStep() const { return m_ncpLogonStep; }
  uint32_t NetObjectsStep() const { return m_netObjectsStep; }
  uint32_t StatusAllStep() const { return m_statusAllStep; }

 protected:
  // The NCPCOM session and a farewell end with the connection.
  void ConnectionClosed() override;
  bool ConnectOutcome(uint16_t error) override;

 private:
  bool m_ncpAuthorized = false;
  bool m_ncpStarted = false;
  uint8_t m_taclLogonStep = 0;
  uint8_t m_ncpLogonStep = 0;
  uint32_t m_netObjectsStep = 0;
  uint32_t m_statusAllStep = 0;
  // How much of the current partial line CheckNCPCmdTermination has searched.
  size_t m_ncpSearched = 0;
  // Runs while a partial line that may be a cut page prompt waits; any byte
  // from the host stops it.
  QTimer m_pagePromptQuiet;
  // The last characters of the discarded output before the service menu (or
  // the first TACL prompt over SSH), so that a prompt cut across two chunks is
  // still recognised.
  std::string m_menuTail;
  QTimer m_farewellGrace;

  using Handler = void (TNCPTelnet::*)(TTnCnx*, const std::string&, TNSKTelnetState);
  TNSKStringAvailable bound(Handler handler);
  void raiseState(ncp::NcpEvent event, std::string_view payload = {});
  // Called with every line a listing hands on: that line ends the partial
  // line the listing check was searching.
  void ncpLineSeen() { m_ncpSearched = 0; }
  // The empty line that answers a page prompt, sent outside the queue; the
  // prompt leaves the partial line.
  void answerPagePrompt();
  // The session's data handler once the host's menu (or first TACL prompt)
  // has come: a byte from the host ends the quiet a page prompt waits for.
  void installSessionData();
  void sendListing(const std::string& command, Handler handler);
  // A line of a chain of listings: an accepted line raised as its step's
  // event; the end of a listing sends the next one.
  template <size_t N>
  void listingStep(const ListingStep (&steps)[N], uint32_t& step, Handler handler, const std::string& Str,
                   TNSKTelnetState State);
  void sendPlain(const std::string& command);
  // action: the operator action the command is, or 0.
  void sendControl(const std::string& command, ncp::OperatorActions::Id action);
  // Command, begun as an operator action when recorded.
  void objectCommand(ncp::NcpAction action, TXPNetType type, const std::string& aName, bool recorded);
  // An operator action of this session: its host, users and PATHMON filled in.
  ncp::OperatorAction operatorAction(ncp::ActionKind kind, std::string object = {}, std::string command = {}) const;
  // Ends the actions still open when the connection ends, and records a
  // connection the host ended unasked.
  void endActions();

  ncp::OperatorActions m_actions;
  ncp::OperatorActions::Id m_connectAction = 0;
  ncp::OperatorActions::Id m_ncpAction = 0;
  ncp::OperatorActions::Id m_statusAllAction = 0;
  ncp::OperatorActions::Id m_disconnectAction = 0;
  std::string m_hostField;  // as the operator gave it, scheme and port included
  TransportKind m_hostTransport = TransportKind::Telnet;
  std::string m_pathmon;     // of the last NCP logon sent
  bool m_hostHeard = false;  // the host has sent data on this connection
  bool m_closing = false;    // Disconnect is closing the connection
};
