#include "transport/TelnetParser.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

using namespace telnet;

namespace {

enum class Echo : uint8_t { Untouched, Report, HostEchoes, HostRefuses };

// What the connection does when the host sends one verb for one option.
struct Reaction {
  uint8_t answer = 0;  // answer verb, 0 = no answer
  Echo echo = Echo::Untouched;
  bool sendLocation = false;
};

// One row per option the connection knows, by verb: WILL, WONT, DO, DONT.
struct OptionRow {
  uint8_t option;
  Reaction onVerb[4];
};

constexpr OptionRow kOptionTable[] = {
    {0, {{DO}, {}, {}, {}}},
    {OptEcho, {{DO, Echo::HostEchoes}, {0, Echo::HostRefuses}, {0, Echo::Report}, {0, Echo::Report}}},
    {3, {{DO}, {}, {}, {}}},
    {OptSendLocation, {{}, {}, {WILL, Echo::Untouched, true}, {}}},
    {OptTerminalType, {{}, {}, {WILL}, {}}},
    {25, {{}, {}, {WILL}, {}}},
};

// Every option outside the table is refused.
constexpr Reaction kOtherOption[4] = {{DONT}, {WONT}, {WONT}, {WONT}};

const Reaction& reactionFor(uint8_t verb, uint8_t option) {
  const int v = verb - WILL;
  for (const OptionRow& row : kOptionTable) {
    if (row.option == option) return row.onVerb[v];
  }
  return kOtherOption[v];
}

}  // namespace

void TelnetParser::Reset() {
  m_state = State::Data;
  m_verb = 0;
  m_subText.clear();
  m_subOverflow = false;
  m_refused.reset();
  m_count = 0;
}

void TelnetParser::Feed(const char* data, size_t len) {
  const char* p = data;
  const char* const end = data + len;
  while (p < end) {
    switch (m_state) {
      case State::Data: {
        // A run of plain data up to the next IAC is copied at once.
        const void* iac = std::memchr(p, IAC, static_cast<size_t>(end - p));
        const char* runEnd = iac ? static_cast<const char*>(iac) : end;
        const size_t n = std::min(static_cast<size_t>(runEnd - p), static_cast<size_t>(kBufferSize - m_count));
        std::memcpy(m_buffer + m_count, p, n);
        m_count += static_cast<int>(n);
        p += n;
        if (m_count == kBufferSize) {
          deliver();
        } else if (p == runEnd && iac) {
          ++p;
          m_state = State::Command;
        }
        break;
      }
      case State::Command:
        m_state = State::Data;
        command(static_cast<uint8_t>(*p++));
        break;
      case State::Option:
        m_state = State::Data;
        m_subText.clear();
        negotiate(m_verb, static_cast<uint8_t>(*p++));
        break;
      case State::Subnegotiation: {
        // Every byte up to SE is collected, the IAC of IAC SE included.
        const void* se = std::memchr(p, SE, static_cast<size_t>(end - p));
        const char* runEnd = se ? static_cast<const char*>(se) : end;
        const size_t n = static_cast<size_t>(runEnd - p);
        if (!m_subOverflow && m_subText.size() + n <= kMaxSubnegotiation) {
          m_subText.append(p, n);
        } else if (!m_subOverflow) {
          m_subOverflow = true;
          std::string().swap(m_subText);
        }
        p = runEnd;
        if (se) {
          ++p;
          m_state = State::Data;
          subnegotiation();
        }
        break;
      }
    }
  }
  deliver();
}

void TelnetParser::storeData(char byte) {
  m_buffer[m_count++] = byte;
  if (m_count == kBufferSize) deliver();
}

void TelnetParser::deliver() {
  if (m_count == 0) return;
  // When the block cannot be had the bytes stay held for the next delivery.
  std::unique_ptr<char[]> block(new (std::nothrow) char[static_cast<size_t>(m_count) + 1]);
  if (!block) return;
  const int len = m_count;
  std::memcpy(block.get(), m_buffer, static_cast<size_t>(len));
  block[static_cast<size_t>(len)] = '\0';
  m_count = 0;
  m_sink.telnetData(block.get(), len);
}

void TelnetParser::command(uint8_t byte) {
  switch (byte) {
    case EOR:
      m_sink.telnetEndOfRecord();
      break;
    case SB:
      m_subText.clear();
      m_subOverflow = false;
      m_state = State::Subnegotiation;
      break;
    case WILL:
    case WONT:
    case DO:
    case DONT:
      m_verb = byte;
      m_state = State::Option;
      break;
    case IAC:
      storeData(static_cast<char>(IAC));
      break;
    default:
      // NOP, GA, AYT and the other commands are dropped unanswered.
      break;
  }
}

void TelnetParser::negotiate(uint8_t verb, uint8_t option) {
  // A refusal of an option already refused is not answered again, so a host
  // that answers every refusal with a refusal cannot keep both sides looping.
  const bool refusal = verb == WONT || verb == DONT;
  const Reaction& reaction = reactionFor(verb, option);
  if (reaction.answer != 0 && !(refusal && m_refused.test(option))) {
    answer(reaction.answer, option);
  }
  switch (reaction.echo) {
    case Echo::Untouched:
      break;
    case Echo::Report:
      m_sink.telnetLocalEcho(std::nullopt);
      break;
    case Echo::HostEchoes:
      m_sink.telnetLocalEcho(false);
      break;
    case Echo::HostRefuses:
      m_sink.telnetLocalEcho(true);
      break;
  }
  if (reaction.sendLocation) {
    const std::string location = m_sink.telnetSendLocation();
    sendWrapped(OptSendLocation, nullptr, 0, location);
  }
}

void TelnetParser::answer(uint8_t verb, uint8_t option) {
  if (verb == WONT || verb == DONT) m_refused.set(option);
  const char bytes[3] = {static_cast<char>(IAC), static_cast<char>(verb), static_cast<char>(option)};
  m_sink.telnetSend(bytes, 3);
}

void TelnetParser::subnegotiation() {
  const bool overflow = m_subOverflow;
  const bool askTerminalType = !overflow && m_subText.size() >= 2 &&
                               static_cast<uint8_t>(m_subText[0]) == OptTerminalType &&
                               static_cast<uint8_t>(m_subText[1]) == SubSend;
  m_subText.clear();
  m_subOverflow = false;
  if (!askTerminalType) return;
  const std::string termType = m_sink.telnetTerminalType();
  const char is = static_cast<char>(SubIs);
  sendWrapped(OptTerminalType, &is, 1, termType);
}

// IAC SB option [prefix] text IAC SE, in one write.
void TelnetParser::sendWrapped(uint8_t option, const char* prefix, size_t prefixLen, const std::string& text) {
  std::string out;
  out.reserve(5 + prefixLen + text.size());
  out += static_cast<char>(IAC);
  out += static_cast<char>(SB);
  out += static_cast<char>(option);
  if (prefixLen != 0) out.append(prefix, prefixLen);
  out += text;
  out += static_cast<char>(IAC);
  out += static_cast<char>(SE);
  m_sink.telnetSend(out.data(), static_cast<int>(out.size()));
}
