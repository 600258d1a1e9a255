// The host's side of the telnet option negotiation at connect, in the order a
// NonStop telnet service uses: DO TERMINAL-TYPE, and when the client agrees,
// SB TERMINAL-TYPE SEND and its IS reply; then WILL ECHO, WILL
// SUPPRESS-GO-AHEAD and DO NAWS. It is complete when the client has answered
// all of them (or the session gives up waiting). The simulator never answers a
// client's own requests, so a misbehaving client cannot start a loop.
// Owned by a ClientSession, which passes in what the client sends.
#pragma once

#include <QByteArray>
#include <functional>
#include <set>

class HostNegotiation {
 public:
  std::function<void(const QByteArray& bytes)> send;
  std::function<void()> onComplete;

  void begin();
  void negotiation(int verb, int option);
  void subnegotiation(const QByteArray& data);
  // Ends the negotiation whatever is still missing.
  void finish();
  bool complete() const { return m_stage == Stage::Done; }
  QByteArray terminalType() const { return m_terminalType; }

 private:
  enum class Stage { Idle, AwaitTermType, AwaitTermTypeIs, AwaitReplies, Done };
  void offerTheRest();

  Stage m_stage = Stage::Idle;
  std::set<int> m_awaited;
  QByteArray m_terminalType;
};
