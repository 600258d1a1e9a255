// TelnetParser: the telnet byte parser of one connection (RFC 854, 855).
//
// Bytes in, events out: it never touches a socket. The connection feeds each
// received chunk to Feed(); the parser strips the telnet commands, answers the
// host's option negotiation from its table, collects sub-negotiations and
// holds the data bytes in a buffer of 2049 bytes that it hands to the sink at
// most once per chunk (at its end), or at once when the buffer is full. Every
// answer goes out through the sink in the order the host's bytes were parsed,
// before the chunk's data are delivered.
//
// Owned by one TTnCnx (or a test, fuzzer or benchmark driving it directly).
// The sink must outlive the parser. A sink callback may call Reset() or Feed()
// again (re-entry from an event handler); the parser re-reads its own state
// after every callback.
#pragma once

#include <bitset>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace telnet {
constexpr uint8_t SE = 240, NOP = 241, GA = 249, SB = 250, WILL = 251, WONT = 252, DO = 253, DONT = 254, IAC = 255,
                  EOR = 239, AYT = 246;
constexpr uint8_t OptEcho = 1, OptSendLocation = 23, OptTerminalType = 24;
constexpr uint8_t SubSend = 1, SubIs = 0;
}  // namespace telnet

// What comes out of the parser. The connection turns these into its events.
class TelnetParserSink {
 public:
  virtual ~TelnetParserSink() = default;
  // Data bytes; block holds len bytes followed by one zero byte and is valid
  // only during the call.
  virtual void telnetData(const char* block, int len) = 0;
  // Bytes to write to the peer (a negotiation answer or a sub-negotiation).
  virtual void telnetSend(const char* bytes, int len) = 0;
  virtual void telnetEndOfRecord() = 0;
  // Raised before the location is sent; returns the text to send.
  virtual std::string telnetSendLocation() = 0;
  // Raised before the terminal type is sent; returns the text to send.
  virtual std::string telnetTerminalType() = 0;
  // Any negotiation of ECHO; newLocalEcho is set when it changes LocalEcho.
  virtual void telnetLocalEcho(std::optional<bool> newLocalEcho) = 0;
};

class TelnetParser {
 public:
  static constexpr int kBufferSize = 2049;
  // Longest sub-negotiation kept; a longer one is dropped whole.
  static constexpr size_t kMaxSubnegotiation = 4096;

  explicit TelnetParser(TelnetParserSink& sink) : m_sink(sink) {}
  TelnetParser(const TelnetParser&) = delete;
  TelnetParser& operator=(const TelnetParser&) = delete;

  // Parses one received chunk, then delivers the buffered data.
  void Feed(const char* data, size_t len);
  // A new connection: no command half read, no option refused, no data held.
  void Reset();

 private:
  enum class State : uint8_t { Data, Command, Option, Subnegotiation };

  void storeData(char byte);
  void deliver();
  void command(uint8_t byte);
  void negotiate(uint8_t verb, uint8_t option);
  void subnegotiation();
  void answer(uint8_t verb, uint8_t option);
  void sendWrapped(uint8_t option, const char* prefix, size_t prefixLen, const std::string& text);

  TelnetParserSink& m_sink;
  State m_state = State::Data;
  uint8_t m_verb = 0;
  std::string m_subText;
  bool m_subOverflow = false;
  // Options this connection has refused (sent WONT or DONT for).
  std::bitset<256> m_refused;
  int m_count = 0;
  char m_buffer[kBufferSize];
};
