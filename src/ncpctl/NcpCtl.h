// NcpCtl: one run of the headless console, from the command line's options to
// an exit code.
//
// Drives the same session (TNCPTelnet) and registry (TXPNetObjList) as the
// main window, over a MemoryTree, and reaches the registry only through the
// shared state-event handler (NCPStateHandler): it adds no rule of its own to
// what an event does. What it adds is the front end's part: it chooses the
// PATHMON, runs the command once the objects are loaded, prints the result,
// says farewell to the host ("EXIT", "LOGOUT") and ends with one exit code.
// Every stage is bounded by the time-out; an overdue stage ends the run.
//
// Every operator action the session raises is written to the audit trail
// given; one that cannot be written ends the run (exit code 1), so nothing
// more is sent unrecorded.
//
// Owns the session, the registry, the tree, the handler and its timers; the
// audit trail is the caller's and must outlive it.
// Single-threaded on the Qt event loop; start() once, OnFinished once.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QSaveFile>
#include <QTimer>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "audit/AuditTrail.h"
#include "ncp/MemoryTree.h"
#include "ncp/NCPStateHandler.h"
#include "ncp/TNCPTelnet.h"
#include "ncp/TXPNetObjList.h"
#include "ncpctl/CheckWriter.h"
#include "ncpctl/CtlOptions.h"
#include "ncpctl/ExitCode.h"
#include "ncpctl/PasswordInput.h"

class NcpCtl {
 public:
  // Results go to out, error sentences, progress and the debug trace to err.
  // Sentences are Latin-1 text; they are written with their control
  // characters escaped, as every text output is (NodeWriter::appendPrintable).
  NcpCtl(CtlOptions options, Passwords passwords, std::FILE* out = stdout, std::FILE* err = stderr,
         const AuditTrail* audit = nullptr);
  ~NcpCtl();
  NcpCtl(const NcpCtl&) = delete;
  NcpCtl& operator=(const NcpCtl&) = delete;

  // Called once, when the run has ended, with the process's exit status:
  // an ExitCode, or for check the plugin state (PluginState), UNKNOWN for
  // every failure.
  std::function<void(int)> OnFinished;

  // Connects and logs on; everything else follows from the host's answers.
  void start();
  // Ends the run at once with code and one sentence on the error stream.
  void fail(ExitCode code, const std::string& sentence);
  // The connection's outcome was an error: a certificate or host key that did
  // not verify ends with its identity and exit 7, a known-hosts file that
  // cannot be used with exit 1, anything else with exit 2.
  void connectFailed(uint16_t error);
  // An exception that escaped an event handler.
  void escaped(std::exception_ptr error);

 private:
  enum class Stage { TaclLogon, NcpLogon, Loading, Command, WatchWait, Refreshing, Farewell, Finished };

  void wire();
  void sessionIdle();
  void advance();
  void pathmonsListed();
  void runCommand();
  void commandDone();
  void startRefresh();
  void refreshDone();
  void farewell(ExitCode result);
  void finish(ExitCode code);
  void armTimeout();
  void showProgress(bool done);

  std::vector<const ExtInfo*> matchingEntries() const;
  // The whole tree under the host node, which must exist.
  void printTree();
  void printNodes(const std::vector<const ExtInfo*>& entries);
  void printAnswer();
  // metrics: to standard output, or to the --textfile opened at the start.
  void printMetrics();
  // "start line L1", "signon P1": the command as the operator gave it.
  std::string commandWords() const;
  // (type, name) -> the status its nodes show.
  std::unordered_map<std::string, TXPNetStatus> statusSnapshot() const;
  // The sentence for an SSH host key that is refused.
  std::string hostKeyRefusal(uint16_t error) const;
  void write(const std::string& text);
  void error(const std::string& sentence);
  // One line of the debug trace (--debug); the session has masked its secrets.
  void trace(const std::string& line);
  void record(const ncp::OperatorAction& action);

  CtlOptions m_options;
  Passwords m_passwords;
  std::FILE* m_out;
  std::FILE* m_err;
  const AuditTrail* m_audit;
  bool m_auditFailed = false;
  // Set while this is destroyed; before the session, which records what it
  // still had open as it goes.
  bool m_ending = false;

  TNCPTelnet m_session;
  TXPNetObjList m_registry;
  ncp::MemoryTree m_tree;
  NCPStateHandler m_handler{m_session, m_registry, m_tree};

  // metrics --textfile: written in full, then put in place of the file.
  std::unique_ptr<QSaveFile> m_textfile;
  QElapsedTimer m_loadClock;
  // check: the verdict, once the objects are counted.
  std::optional<PluginState> m_pluginState;

  QObject m_context;  // owner of the deferred calls: none runs after destruction
  QTimer m_timeout;
  QTimer m_interval;
  QTimer m_farewell;
  QTimer m_progress;
  bool m_progressShown = false;

  Stage m_stage = Stage::TaclLogon;
  ExitCode m_result = ExitCode::Done;
  bool m_pathmonsListed = false;
  bool m_advanceQueued = false;
  int m_refreshes = 0;
  std::vector<std::string> m_answer;
  std::string m_refusal;  // the host's error line to the command, if it refused it
  std::unordered_map<std::string, TXPNetStatus> m_watched;
};
