// TNSKTelnet: the command queue. One command runs at a time; the others wait
// in order and go out when the running one's output is complete.
#include "nsk/TNSKTelnet.h"
#include "transport/Events.h"

void TNSKTelnet::SendCommand(const std::string& command, TNSKTelnetCheckCmdTermination check,
                             TNSKStringAvailable done) {
  RequireSafeCommandText(command, "Command");
  if (!check) check = PromptEndCheck();

  if (m_state != atsIdle) {
    m_commandQueue.push_back({command, std::move(done), std::move(check)});
  } else {
    // What a failed send puts back: the command never started.
    std::string previousLine = std::move(m_currentLine);
    m_currentLine.clear();
    auto previousDone = std::move(m_done);
    TNSKTelnetCheckCmdTermination previousSaved = std::move(m_savedCheck);
    std::string previousEcho = std::move(m_expectedEcho);

    m_state = atsCommand;
    m_done = done ? std::make_shared<const TNSKStringAvailable>(std::move(done)) : nullptr;
    m_savedCheck = OnCheckCmdTermination;
    OnCheckCmdTermination = std::move(check);
    m_expectedEcho = command + "\r\n";
    try {
      if (Socket() == nullptr) {
        throw ESocketException(socketerrors::message(socketerrors::kNotConnected, "Send"), socketerrors::kNotConnected);
      }
      SendText(m_expectedEcho);
    } catch (...) {
      m_state = atsIdle;
      OnCheckCmdTermination = std::move(m_savedCheck);
      m_savedCheck = std::move(previousSaved);
      m_done = std::move(previousDone);
      m_expectedEcho = std::move(previousEcho);
      m_currentLine = std::move(previousLine);
      throw;
    }
  }
  Raise(OnCommand, this, QueueCount(), m_state);
}

void TNSKTelnet::NextCommand() {
  // Only a command that ran has a saved check to give back; between commands
  // the check in force (perhaps one the owner assigned) stays.
  if (m_state == atsCommand) OnCheckCmdTermination = m_savedCheck;
  m_done = nullptr;
  m_state = atsIdle;

  if (!m_commandQueue.empty()) {
    RCommandItem item;
    if (takeOldestCommand(item)) {
      SendCommand(item.command, std::move(item.check), std::move(item.done));
    } else {
      Debug(this, "Command.Pop:Fail");
    }
  }
  Raise(OnCommand, this, QueueCount(), m_state);
}

bool TNSKTelnet::takeOldestCommand(RCommandItem& item) {
  // Copying the handlers can fail; the item then stays first in line.
  try {
    item = m_commandQueue.front();
  } catch (...) {
    return false;
  }
  m_commandQueue.pop_front();
  return true;
}

void TNSKTelnet::ResetCommands() {
  const bool wasBusy = m_state != atsIdle || !m_commandQueue.empty();
  ++m_resetCount;
  m_commandQueue.clear();
  m_pendingChunks.clear();
  setReadPaused(false);
  if (m_state == atsCommand) OnCheckCmdTermination = m_savedCheck;
  m_done = nullptr;
  m_state = atsIdle;
  m_expectedEcho.clear();
  m_currentLine.clear();
  // The owner shows the queue; it must not keep showing a busy session.
  if (wasBusy) Raise(OnCommand, this, QueueCount(), m_state);
}

void TNSKTelnet::AbandonCommands(TNSKStringAvailable done) {
  m_commandQueue.clear();
  if (m_state == atsCommand) m_done = done ? std::make_shared<const TNSKStringAvailable>(std::move(done)) : nullptr;
}

void TNSKTelnet::ConnectionClosed() { ResetCommands(); }
