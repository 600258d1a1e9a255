#include "ClientSession.h"

#include <sys/socket.h>

#include <QScopedValueRollback>
#include <QTcpSocket>

#include "Layouts.h"
#include "SimOptions.h"
#include "Transcript.h"

namespace {
// Input is read only while fewer lines than this wait, so a client that sends
// faster than it reads is held back by TCP instead of growing our memory.
constexpr size_t kMaxQueuedLines = 64;
constexpr qint64 kSocketReadBuffer = 64 * 1024;
constexpr int kNegotiationWaitMs = 2000;
// A reset right after the banner or menu waits this long so the text is on
// the wire before the RST.
constexpr int kResetAfterTextMs = 100;
// --close-on/--reset-on listing: the connection ends after this many lines of a listing.
constexpr int kLinesBeforeListingFault = 3;

// The --close-on/--reset-on values that name a moment instead of a command line.
bool isMoment(const QByteArray& trigger) {
  return trigger == "menu" || trigger == "banner" || trigger == "iac" || trigger == "sb" || trigger == "listing" ||
         trigger == "more";
}
}  // namespace

ClientSession::ClientSession(QTcpSocket* socket, SimContext context, QObject* parent, const QByteArray& loggedOnUser)
    : QObject(parent), m_socket(socket), m_ctx(context), m_dialogue(context) {
  const bool telnet = loggedOnUser.isEmpty();
  m_socket->setParent(this);
  m_socket->setReadBufferSize(kSocketReadBuffer);
  m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
  const SimOptions& o = m_ctx.options;
  m_out = new OutputStream(m_socket, {o.chunk, o.chunkDelayMs, o.sprinkle, o.floodOneLine, telnet}, this);
  m_in.telnet = telnet;
  m_out->onDrained = [this] {
    if (m_busy) return;
    if (m_listing && !m_waitingMore) pumpListing();
    readInput();
  };

  m_in.onLine = [this](const QByteArray& line, bool truncated) { m_lines.push_back({line, truncated}); };
  m_in.onNegotiation = [this](int verb, int option) {
    m_ctx.transcript.negotiation(verb, option);
    m_negotiation.negotiation(verb, option);
    mirrorRefusal(verb, option);
  };
  m_in.onSubnegotiation = [this](const QByteArray& data) {
    m_ctx.transcript.subnegotiation(data);
    m_negotiation.subnegotiation(data);
  };
  m_negotiation.send = [this](const QByteArray& bytes) { m_out->write(bytes, OutputStream::Kind::Raw); };
  m_negotiation.onComplete = [this] {
    m_negotiationTimer.stop();
    sendMenu();
  };

  connect(m_socket, &QTcpSocket::readyRead, this, [this] { readInput(); });
  // Queued: a close of our own (an idle client, a reset) reports the
  // disconnection from inside the call that closes, and the session must
  // finish that call before it goes.
  connect(
      m_socket, &QTcpSocket::disconnected, this,
      [this] {
        m_state = State::Closed;
        deleteLater();
      },
      Qt::QueuedConnection);
  m_negotiationTimer.setSingleShot(true);
  connect(&m_negotiationTimer, &QTimer::timeout, this, [this] { m_negotiation.finish(); });
  if (telnet) m_negotiationTimer.start(kNegotiationWaitMs);
  if (o.idleTimeoutSeconds > 0) {
    m_idleTimer.setSingleShot(true);
    m_idleTimer.setInterval(o.idleTimeoutSeconds * 1000);
    connect(&m_idleTimer, &QTimer::timeout, this, [this] { closeIdle(); });
    // Bytes either way keep the connection: a client reading a long listing is not idle.
    connect(m_socket, &QTcpSocket::readyRead, &m_idleTimer, qOverload<>(&QTimer::start));
    connect(m_socket, &QTcpSocket::bytesWritten, &m_idleTimer, qOverload<>(&QTimer::start));
    m_idleTimer.start();
  }
  if (!telnet) {
    m_state = State::Dialogue;
    m_out->write(m_dialogue.startLoggedOn(loggedOnUser), OutputStream::Kind::TextNoNul);
    return;
  }
  m_negotiation.begin();
}

void ClientSession::readInput() {
  if (m_busy) return;
  QScopedValueRollback<bool> busy(m_busy, true);
  for (;;) {
    while (m_lines.size() < kMaxQueuedLines && m_socket->bytesAvailable() > 0) {
      char buffer[4096];
      const qint64 n = m_socket->read(buffer, sizeof buffer);
      if (n <= 0) break;
      m_in.feed(buffer, n);
    }
    const size_t before = m_lines.size();
    processLines();
    if (m_lines.size() == before || m_socket->bytesAvailable() == 0) break;
  }
}

void ClientSession::processLines() {
  while (!m_lines.empty()) {
    if (m_state == State::Closed) {
      for (const InputLine& line : m_lines) m_ctx.transcript.command(line.text);
      m_lines.clear();
      return;
    }
    if (m_state == State::Negotiating) return;
    if (m_listing && !m_waitingMore) return;
    if (m_out->backlog() >= OutputStream::kLowWater) return;
    const InputLine line = m_lines.front();
    m_lines.pop_front();
    handleLine(line.text, line.truncated);
  }
}

bool ClientSession::matches(const QByteArray& trigger, const QByteArray& line) const {
  return !trigger.isEmpty() && !isMoment(trigger) && line.startsWith(trigger);
}

bool ClientSession::endsAt(const QByteArray& moment) {
  const SimOptions& o = m_ctx.options;
  if (o.closeOn == moment) {
    closeOrderly();
    return true;
  }
  if (o.resetOn == moment) {
    flush();
    resetConnection(kResetAfterTextMs);
    return true;
  }
  return false;
}

void ClientSession::handleLine(const QByteArray& raw, bool truncated) {
  m_ctx.transcript.command(raw);
  const SimOptions& o = m_ctx.options;
  if (m_silent) return;
  if (matches(o.closeOn, raw)) return closeOrderly();
  if (matches(o.resetOn, raw)) return resetConnection(0);
  if (matches(o.silentOn, raw)) {
    m_silent = true;
    return;
  }
  // A host does not echo a password, but the line end still moves to the next line.
  m_echo = m_dialogue.expectsPassword() && !o.echoPasswords ? QByteArray("\r\n") : raw + "\r\n";
  if (m_waitingMore && raw.isEmpty() && o.barePages) m_echo.clear();
  if (!m_flooded && matches(o.floodOn, raw)) {
    // The flood comes between the echo and the answer, while the command runs.
    m_flooded = true;
    m_out->write(m_echo, OutputStream::Kind::TextNoNul);
    m_echo.clear();
    m_out->flood(o.flood);
  }

  if (m_waitingMore) {
    m_waitingMore = false;
    if (raw.isEmpty()) {
      m_pageCount = 0;
      pumpListing();
      return;
    }
    // Anything but RETURN at a page prompt abandons the listing and is a command of its own.
    m_listing.reset();
    m_listingPeek.reset();
  }
  if (truncated && !m_dialogue.expectsPassword()) {
    m_answer += "*ERROR* Line too long, ignored\r\n" + m_dialogue.prompt();
    flush();
    return;
  }
  HostDialogue::Reply reply = m_dialogue.answer(raw);
  m_answer += reply.text;
  if (reply.logout) return closeOrderly();
  if (reply.listing) return startListing(*reply.listing);
  flush();
}

void ClientSession::sendMenu() {
  const SimOptions& o = m_ctx.options;
  sendHostileNegotiation();
  const QByteArray banner = Layouts::serviceMenuBanner(m_ctx.network.systemName);
  if (o.closeOn == "banner" || o.resetOn == "banner") {
    m_out->write(banner, OutputStream::Kind::TextNoNul);
    return o.closeOn == "banner" ? closeOrderly() : resetConnection(kResetAfterTextMs);
  }
  // Banner and menu in one write: the console looks for the menu prompt in one chunk.
  m_out->write(banner + Layouts::serviceMenu(), OutputStream::Kind::TextNoNul);
  m_state = State::Dialogue;
  if (o.closeOn == "menu") return closeOrderly();
  if (o.resetOn == "menu") return resetConnection(kResetAfterTextMs);
  // A telnet command or sub-negotiation cut off by the end of the connection.
  if (o.closeOn == "iac" || o.resetOn == "iac") m_out->write("\xff", OutputStream::Kind::Raw);
  if (o.closeOn == "sb" || o.resetOn == "sb") m_out->write("\xff\xfa\x18\x01XY", OutputStream::Kind::Raw);
  if (endsAt("iac") || endsAt("sb")) return;
  if (o.floodOn.isEmpty()) m_out->flood(o.flood);
  readInput();
}

void ClientSession::sendHostileNegotiation() {
  const SimOptions& o = m_ctx.options;
  QByteArray bytes;
  switch (o.hostile) {
    case SimOptions::Hostile::None:
      return;
    case SimOptions::Hostile::Storm:
    case SimOptions::Hostile::Mirror:
      for (int i = 0; i < o.hostileCount; ++i) {
        bytes.clear();
        for (int verb = 251; verb <= 254; ++verb) {
          for (int option = 0; option <= 255; ++option) {
            bytes += '\xff';
            bytes += static_cast<char>(verb);
            bytes += static_cast<char>(option);
          }
        }
        m_out->write(bytes, OutputStream::Kind::Raw);
      }
      return;
    case SimOptions::Hostile::OversizedSb:
    case SimOptions::Hostile::UnterminatedSb:
      // A TERMINAL-TYPE sub-negotiation that is not a SEND: a client must ignore it.
      bytes = QByteArray("\xff\xfa\x18", 3) + QByteArray(o.hostileCount, 'X');
      if (o.hostile == SimOptions::Hostile::OversizedSb) bytes += QByteArray("\xff\xf0", 2);
      m_out->write(bytes, OutputStream::Kind::Raw);
      return;
  }
}

void ClientSession::mirrorRefusal(int verb, int option) {
  // A host that refuses whatever it is refused: a client that answers every
  // refusal would keep both sides talking for ever. Bounded on this side.
  constexpr int kWont = 252, kDont = 254, kMaxMirrored = 1 << 20;
  if (m_ctx.options.hostile != SimOptions::Hostile::Mirror || (verb != kWont && verb != kDont)) return;
  if (m_mirrored >= kMaxMirrored) return;
  ++m_mirrored;
  const char bytes[3] = {'\xff', static_cast<char>(verb), static_cast<char>(option)};
  m_out->write(QByteArray(bytes, 3), OutputStream::Kind::Raw);
}

void ClientSession::startListing(Listing listing) {
  m_listing = listing;
  m_listingPeek.reset();
  m_pageCount = 0;
  m_waitingMore = false;
  pumpListing();
}

void ClientSession::pumpListing() {
  QScopedValueRollback<bool> busy(m_busy, true);
  const int page = m_ctx.options.pageLines;
  while (m_listing) {
    if (!m_listingPeek) {
      QByteArray line;
      if (!m_listing->next(&line)) {
        m_listing.reset();
        m_answer += m_dialogue.prompt();
        flush();
        return;
      }
      m_listingPeek = line;
    }
    if (page > 0 && m_pageCount >= page) {
      m_answer += m_ctx.options.morePrompt;
      m_waitingMore = true;
      flush();
      endsAt("more");
      return;
    }
    say(*m_listingPeek);
    m_listingPeek.reset();
    ++m_pageCount;
    if (m_pageCount == kLinesBeforeListingFault && endsAt("listing")) return;
    if (m_answer.size() >= OutputStream::kLowWater) {
      flush();
      // The rest follows when the client has read this much (OutputStream::onDrained).
      if (m_out->backlog() >= OutputStream::kLowWater) return;
    }
  }
}

void ClientSession::say(const QByteArray& line) { m_answer += line + "\r\n"; }

void ClientSession::flush() {
  m_out->write(m_echo, OutputStream::Kind::TextNoNul);
  m_out->write(m_answer, OutputStream::Kind::Text);
  m_echo.clear();
  m_answer.clear();
}

void ClientSession::closeOrderly() {
  flush();
  m_state = State::Closed;
  m_listing.reset();
  m_out->closeWhenDrained();
}

void ClientSession::closeIdle() {
  if (m_state != State::Closed) {
    m_answer +=
        "\r\nIdle for " + QByteArray::number(m_ctx.options.idleTimeoutSeconds) + " seconds: connection closed\r\n";
    closeOrderly();
  }
  m_socket->flush();
  // A client that reads nothing would never let an orderly close finish.
  if (m_out->backlog() > 0) resetConnection(0);
}

void ClientSession::resetConnection(int delayMs) {
  m_state = State::Closed;
  m_listing.reset();
  const auto reset = [this] {
    // SO_LINGER with a zero time makes close() send RST instead of FIN.
    const qintptr fd = m_socket->socketDescriptor();
    if (fd >= 0) {
      linger option{1, 0};
      ::setsockopt(static_cast<int>(fd), SOL_SOCKET, SO_LINGER, &option, sizeof option);
    }
    m_socket->abort();
    deleteLater();
  };
  if (delayMs <= 0) return reset();
  m_socket->flush();
  QTimer::singleShot(delayMs, this, reset);
}
