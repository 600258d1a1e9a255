// TNSKTelnet: the NonStop session over a telnet connection.
//
// Turns the connection's data into lines, strips the echo of each command,
// asks the running command's termination check where its output ends, routes
// lines to the command's completion handler (or OnStringAvailable), and runs
// commands one at a time from a first-in first-out queue (SendCommand,
// NextCommand). A chunk that arrives while a chunk is being processed (through
// a nested event loop opened by a handler) is kept in PendingChunks and
// processed afterwards, in order; while chunks wait, the socket stops reading
// so that TCP holds the host back instead of memory growing.
//
// Owns its command queue and pending chunks. TNCPTelnet derives from it and
// adds the TACL logon and the NCP commands. Single-threaded, re-entrant only
// through nested event loops.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "transport/TTnCnx.h"

enum TNSKTelnetState : uint8_t { atsIdle = 0, atsOtorisasi = 1, atsCommand = 2, atsCommandEnd = 3 };

// currLine is the session's current line itself; bterminate is false on entry.
using TNSKTelnetCheckCmdTermination = std::function<void(TTnCnx* Sender, std::string& currLine, bool& bterminate)>;
using TNSKStringAvailable = std::function<void(TTnCnx* Sender, const std::string& Str, TNSKTelnetState State)>;
using TNSKTelnetCommandInfo = std::function<void(TTnCnx* Sender, int queueCount, TNSKTelnetState state)>;

// Operator text that would become part of a command line but holds a line
// break or another control character: it would send lines the operator never
// chose, so it is refused before anything is sent.
class EUnsafeCommandText : public std::invalid_argument {
 public:
  using std::invalid_argument::invalid_argument;
};

// Throws EUnsafeCommandText ("<what> contains a control character") when text
// holds a byte below 32 or the byte 127.
void RequireSafeCommandText(const std::string& text, const char* what);

// RequireSafeCommandText, and an empty text is refused too ("<what> is
// empty"): a user name the host waits for would never come, and the session
// would wait for a prompt that never comes either.
void RequireCommandWord(const std::string& text, const char* what);

// An object name goes back to the host as one argument of STATUS, START,
// STOP or DELIVER. A blank, comma, quote (single or double) or semicolon in it
// would end that argument and change the command, so such a name, an empty
// one and one with a control character are refused with EUnsafeCommandText.
void RequireSafeObjectName(const std::string& name, const char* what);

struct RCommandItem {
  std::string command;
  TNSKStringAvailable done;
  TNSKTelnetCheckCmdTermination check;
};

class TNSKTelnet : public TTnCnx {
 public:
  explicit TNSKTelnet(QObject* owner = nullptr);
  ~TNSKTelnet() override;

  const char* ClassName() const override { return "TNSKTelnet"; }

  bool Authorized() const { return m_authorized; }
  bool ControlCharToHexa = false;
  std::string UserName;
  std::string Password;
  std::string ExpectedPrompt;

  TTnDisplay OnDebug;
  TNSKTelnetCommandInfo OnCommand;
  TNotifyEvent OnConnect;
  TNSKStringAvailable OnStringAvailable;
  TNSKTelnetCheckCmdTermination OnCheckCmdTermination;

  void SessionDataAvailable(TTnCnx* Sender, const char* Buffer, int Len);
  void CheckPromptEnd(TTnCnx* Sender, std::string& currLine, bool& bterminate);
  void CheckPromptEqual(TTnCnx* Sender, std::string& currLine, bool& bterminate);

  // Sends the line (CR LF appended) at once when idle, else queues it.
  // An empty check means CheckPromptEnd. A line holding a control character
  // is refused with EUnsafeCommandText: nothing is sent or queued. A send
  // failure restores the state the session had before the call and rethrows
  // the ESocketException.
  void SendCommand(const std::string& command, TNSKTelnetCheckCmdTermination check, TNSKStringAvailable done);
  void NextCommand();

  TNSKTelnetState State() const { return m_state; }
  int QueueCount() const { return static_cast<int>(m_commandQueue.size()); }
  const std::string& CurrentLine() const { return m_currentLine; }
  int PendingChunkCount() const { return static_cast<int>(m_pendingChunks.size()); }

  // Wrappers of the session's own handlers, ready to assign to events.
  TNSKTelnetCheckCmdTermination PromptEndCheck();
  TNSKTelnetCheckCmdTermination PromptEqualCheck();

 protected:
  void SetAuthorized(bool value) { m_authorized = value; }
  void ClearCurrentLine() { m_currentLine.clear(); }

  // Installs one of the session's own data handlers on OnDataAvailable. The
  // handler installed before, unless it was itself one of the session's own,
  // is remembered as the owner's data handler.
  void InstallOwnDataHandler(TTnDataAvailable handler);
  // Puts the owner's data handler back into OnDataAvailable.
  void RestoreOwnerDataHandler();
  // True when OnDataAvailable holds a handler installed by InstallOwnDataHandler.
  bool OwnDataHandlerInstalled() const;

  // Raises OnDebug with text in which every secret (Password and the texts
  // given to AddDebugSecret) is replaced by "****"; a host that echoes a
  // password must not put it into the debug transcript.
  void Debug(TTnCnx* sender, const std::string& text);
  void AddDebugSecret(const std::string& secret);
  // text with every secret replaced by "****", in any letter case.
  std::string MaskSecrets(const std::string& text) const;

  // A new connection starts clean: the queue is emptied (items never sent),
  // pending chunks of the old connection are dropped (and so is the rest of a
  // chunk being worked through when a handler calls this), the running
  // command's handlers are removed, the saved check is put back, no echo is
  // expected, the current line is empty, reading goes on and the state is
  // atsIdle. OnCommand reports the change when the session was busy.
  void ResetCommands();
  // Leaving the connection: the waiting commands are dropped unsent and the
  // running command's completion handler is replaced by done, so that
  // nothing it would have chained goes out; its termination check stays, so
  // its end is still seen and the next command queued goes out after it.
  // The caller queues that command, which reports the queue through
  // OnCommand.
  void AbandonCommands(TNSKStringAvailable done);
  // A closed connection ends every command on it (ResetCommands).
  void ConnectionClosed() override;

 private:
  struct PendingChunk {
    TTnCnx* sender;
    std::string bytes;
  };
  struct OwnDataHandler;

  // A host line that never ends is handed on in pieces of this size, so that
  // a flood without line feeds cannot grow the current line without bound.
  static constexpr size_t kMaxLineLength = 65536;
  // How much of a handed-on piece stays in the current line: more than the
  // longest prompt a host shows.
  static constexpr size_t kLineTailKept = 256;
  // The check PromptEqualCheck makes; recognisable, so that a complete line
  // equal to the awaited prompt can end the command too.
  struct ExactPromptCheck {
    TNSKTelnet* session;
    void operator()(TTnCnx* sender, std::string& currLine, bool& bterminate) const {
      session->CheckPromptEqual(sender, currLine, bterminate);
    }
  };

  void processChunk(TTnCnx* sender, const char* buffer, int len);
  void assembleLines(TTnCnx* sender, const char* data, size_t len, uint64_t generation);
  void handOn(TTnCnx* sender, std::string line, TNSKTelnetState state);
  void handOnCurrentLine(TTnCnx* sender, TNSKTelnetState state);
  void handOnLinePiece(TTnCnx* sender);
  bool completeLineIsTheAwaitedPrompt() const;
  void deferChunk(TTnCnx* sender, const char* buffer, int len);
  void drainPendingChunks();
  void scheduleDrain();
  void setReadPaused(bool paused);
  bool takeOldestCommand(RCommandItem& item);

  bool m_authorized = false;
  TNSKTelnetState m_state = atsIdle;
  std::string m_currentLine;
  std::string m_expectedEcho;
  std::deque<RCommandItem> m_commandQueue;
  std::deque<PendingChunk> m_pendingChunks;
  TTnDataAvailable m_ownerDataHandler;
  TNSKTelnetCheckCmdTermination m_savedCheck;
  // Shared so that a line costs no copy of the handler, and a handler that
  // resets the session while it runs is not freed under its own feet.
  std::shared_ptr<const TNSKStringAvailable> m_done;
  std::vector<std::string> m_debugSecrets;
  bool m_running = false;
  bool m_readPaused = false;
  bool m_drainScheduled = false;
  // Counts ResetCommands calls: a chunk of the old connection that is still
  // being worked through when the session is reset is not finished.
  uint64_t m_resetCount = 0;
};
