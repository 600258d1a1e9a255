// TNSKTelnet: the data handler. Echo stripping, line assembly, the
// termination check, routing of lines, and the chunks that arrive while a
// handler runs a nested event loop.
#include <QMetaObject>
#include <algorithm>
#include <cstring>
#include <string_view>

#include "nsk/TNSKTelnet.h"
#include "transport/NotifierSupport.h"

void TNSKTelnet::SessionDataAvailable(TTnCnx* Sender, const char* Buffer, int Len) {
  if (m_running) {
    deferChunk(Sender, Buffer, Len);
    return;
  }
  m_running = true;
  try {
    // Chunks left waiting by a run that an exception ended still go first.
    if (m_pendingChunks.empty()) {
      processChunk(Sender, Buffer, Len);
    } else {
      deferChunk(Sender, Buffer, Len);
    }
    drainPendingChunks();
  } catch (...) {
    m_running = false;
    if (!m_pendingChunks.empty()) scheduleDrain();
    throw;
  }
  m_running = false;
}

void TNSKTelnet::processChunk(TTnCnx* sender, const char* buffer, int len) {
  const uint64_t generation = m_resetCount;
  std::string withoutEcho;
  if (!m_expectedEcho.empty() && len > 0) {
    const void* zero = std::memchr(buffer, 0, static_cast<size_t>(len));
    const size_t textLength =
        zero ? static_cast<size_t>(static_cast<const char*>(zero) - buffer) : static_cast<size_t>(len);
    const size_t at = std::string_view(buffer, textLength).find(m_expectedEcho);
    // The echo ends with the host's line end. When it interrupts a line (host
    // output without a line end came first), that line end still ends the
    // line, so what follows the echo, a prompt most of all, starts a line of
    // its own whether or not the echo arrived whole.
    const bool endsALine = at == 0 ? !m_currentLine.empty() : at != std::string_view::npos && buffer[at - 1] != '\n';
    if (at == 0 && !endsALine) {
      buffer += m_expectedEcho.size();
      len -= static_cast<int>(m_expectedEcho.size());
      m_expectedEcho.clear();
    } else if (at != std::string_view::npos) {
      // Host output that was still on its way when the command went out
      // precedes the echo: it is kept, and only the echo itself is cut out.
      withoutEcho.reserve(static_cast<size_t>(len) - m_expectedEcho.size() + 1);
      withoutEcho.append(buffer, at);
      if (endsALine) withoutEcho += '\n';
      withoutEcho.append(buffer + at + m_expectedEcho.size(), static_cast<size_t>(len) - at - m_expectedEcho.size());
      buffer = withoutEcho.data();
      len = static_cast<int>(withoutEcho.size());
      m_expectedEcho.clear();
    }
  }
  if (len <= 0) return;

  if (m_ownerDataHandler) {
    const auto owner = m_ownerDataHandler;
    owner(sender, buffer, len);
    if (generation != m_resetCount) return;
  }

  assembleLines(sender, buffer, static_cast<size_t>(len), generation);
  if (generation != m_resetCount) return;

  bool bterminate = false;
  if (OnCheckCmdTermination) {
    const auto check = OnCheckCmdTermination;
    check(sender, m_currentLine, bterminate);
  } else {
    bterminate = true;
    Debug(this, "Force EndOfCommand :" + m_currentLine);
  }
  if (generation != m_resetCount) return;

  // A chunk that is already waiting may still belong to this command's
  // output: the end is decided again after it.
  if (bterminate && m_pendingChunks.empty()) {
    handOnCurrentLine(sender, atsCommandEnd);
    if (generation != m_resetCount) return;
    NextCommand();
  }
}

void TNSKTelnet::assembleLines(TTnCnx* sender, const char* data, size_t len, uint64_t generation) {
  static constexpr char kHexDigits[] = "0123456789ABCDEF";
  // A control character the host puts into a line keeps its column, so that
  // the fixed columns after it are read where the host wrote them. Only the
  // line end and the telnet padding (CR, LF, NUL) stand in no column; with
  // ControlCharToHexa every control character is shown as $HH instead.
  const auto inLine = [hexa = ControlCharToHexa](unsigned char byte) {
    return byte >= 32 || (!hexa && byte != '\r' && byte != '\n' && byte != '\0');
  };
  const char* p = data;
  const char* const end = data + len;
  while (p < end) {
    const char* run = p;
    while (p < end && inLine(static_cast<unsigned char>(*p))) ++p;
    while (run < p) {
      const size_t room = kMaxLineLength - std::min(m_currentLine.size(), kMaxLineLength);
      const size_t n = std::min(static_cast<size_t>(p - run), room);
      m_currentLine.append(run, n);
      run += n;
      if (m_currentLine.size() >= kMaxLineLength) {
        handOnLinePiece(sender);
        if (generation != m_resetCount) return;
      }
    }
    if (p == end) break;

    const auto byte = static_cast<unsigned char>(*p++);
    if (ControlCharToHexa) {
      const char hex[3] = {'$', kHexDigits[byte >> 4], kHexDigits[byte & 0x0F]};
      m_currentLine.append(hex, sizeof hex);
    }
    if (byte == '\n') {
      if (completeLineIsTheAwaitedPrompt()) {
        // More output followed the prompt at once (a broadcast, say): the
        // prompt still ends the command, and the rest belongs to the next.
        handOnCurrentLine(sender, atsCommandEnd);
        if (generation != m_resetCount) return;
        NextCommand();
      } else {
        handOnCurrentLine(sender, m_state);
      }
      if (generation != m_resetCount) return;
    } else if (m_currentLine.size() >= kMaxLineLength) {
      handOnLinePiece(sender);
      if (generation != m_resetCount) return;
    }
  }
}

bool TNSKTelnet::completeLineIsTheAwaitedPrompt() const {
  return m_state == atsCommand && OnCheckCmdTermination.target<ExactPromptCheck>() != nullptr &&
         m_currentLine == ExpectedPrompt;
}

void TNSKTelnet::handOnLinePiece(TTnCnx* sender) {
  // The piece's last characters stay as the start of the current line: a
  // prompt is never cut by the piece boundary, and the text after the
  // boundary is never taken for the start of a line.
  std::string piece = std::move(m_currentLine);
  m_currentLine.assign(piece, piece.size() - kLineTailKept, kLineTailKept);
  piece.resize(piece.size() - kLineTailKept);
  handOn(sender, std::move(piece), m_state);
}

void TNSKTelnet::handOnCurrentLine(TTnCnx* sender, TNSKTelnetState state) {
  std::string line = std::move(m_currentLine);
  m_currentLine.clear();
  handOn(sender, std::move(line), state);
}

void TNSKTelnet::handOn(TTnCnx* sender, std::string line, TNSKTelnetState state) {
  // Held or copied: a handler may replace the event it is called through.
  if (m_state == atsCommand && m_done) {
    const auto done = m_done;
    (*done)(sender, line, state);
  } else if (OnStringAvailable) {
    const auto available = OnStringAvailable;
    available(sender, line, state);
  }
}

void TNSKTelnet::deferChunk(TTnCnx* sender, const char* buffer, int len) {
  if (len <= 0) return;
  m_pendingChunks.push_back({sender, std::string(buffer, static_cast<size_t>(len))});
  setReadPaused(true);
}

void TNSKTelnet::drainPendingChunks() {
  do {
    while (!m_pendingChunks.empty()) {
      PendingChunk chunk = std::move(m_pendingChunks.front());
      m_pendingChunks.pop_front();
      processChunk(chunk.sender, chunk.bytes.data(), static_cast<int>(chunk.bytes.size()));
    }
    // Resuming may deliver at once; such a chunk is deferred and drained here.
    setReadPaused(false);
  } while (!m_pendingChunks.empty());
}

void TNSKTelnet::scheduleDrain() {
  if (m_drainScheduled) return;
  m_drainScheduled = true;
  QMetaObject::invokeMethod(
      this,
      [this] {
        m_drainScheduled = false;
        if (m_running || m_pendingChunks.empty()) return;
        notifiers::guarded([this] { SessionDataAvailable(this, nullptr, 0); }, [this] { Close(); });
      },
      Qt::QueuedConnection);
}

void TNSKTelnet::setReadPaused(bool paused) {
  if (m_readPaused == paused) return;
  m_readPaused = paused;
  if (TStream* socket = Socket()) socket->SetReadPaused(paused);
}
