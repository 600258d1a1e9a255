#include "ClientSession.h"

#include "Layouts.h"
#include "Network.h"
#include "SimOptions.h"
#include "Transcript.h"

#include <QScopedValueRollback>
#include <QTcpSocket>

#include <sys/socket.h>

namespace {
// Input is read only while fewer lines than this wait, so a client that sends
// faster than it reads is held back by TCP instead of growing our memory.
constexpr size_t kMaxQueuedLines = 64;
constexpr qint64 kSocketReadBuffer = 64 * 1024;
constexpr int kNegotiationWaitMs = 2000;
// A reset right after the banner or menu waits this long so the text is on
// the wire before the RST.
constexpr int kResetAfterTextMs = 100;
const QByteArray kMorePrompt = "MORE (RETURN TO CONTINUE) ";
const QByteArray kVolume = "$DATA01";
}  // namespace

ClientSession::ClientSession(QTcpSocket* socket, SimContext context, QObject* parent)
    : QObject(parent), m_socket(socket), m_ctx(context) {
  m_socket->setParent(this);
  m_socket->setReadBufferSize(kSocketReadBuffer);
  m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
  const SimOptions& o = m_ctx.options;
  m_out = new OutputStream(m_socket, {o.chunk, o.chunkDelayMs, o.sprinkle}, this);
  m_out->onDrained = [this] {
    if (m_busy) return;
    if (m_listing && !m_waitingMore) pumpListing();
    readInput();
  };

  m_in.onLine = [this](const QByteArray& line, bool truncated) { m_lines.push_back({line, truncated}); };
  m_in.onNegotiation = [this](int verb, int option) {
    m_ctx.transcript.negotiation(verb, option);
    m_negotiation.negotiation(verb, option);
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
  connect(m_socket, &QTcpSocket::disconnected, this, [this] {
    m_mode = Mode::Closed;
    deleteLater();
  });
  m_negotiationTimer.setSingleShot(true);
  connect(&m_negotiationTimer, &QTimer::timeout, this, [this] { m_negotiation.finish(); });
  m_negotiationTimer.start(kNegotiationWaitMs);
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
    if (m_mode == Mode::Closed) {
      for (const InputLine& line : m_lines) m_ctx.transcript.command(line.text);
      m_lines.clear();
      return;
    }
    if (m_mode == Mode::Negotiating) return;
    if (m_listing && !m_waitingMore) return;
    if (m_out->backlog() >= OutputStream::kLowWater) return;
    const InputLine line = m_lines.front();
    m_lines.pop_front();
    handleLine(line.text, line.truncated);
  }
}

bool ClientSession::matches(const QByteArray& trigger, const QByteArray& line) const {
  return !trigger.isEmpty() && trigger != "menu" && trigger != "banner" && line.startsWith(trigger);
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
  const bool password = m_mode == Mode::TaclPassword || m_mode == Mode::NcpPassword;
  // A host does not echo a password, but the line end still moves to the next line.
  m_echo = password && !o.echoPasswords ? QByteArray("\r\n") : raw + "\r\n";

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
  if (truncated && !password) {
    say("*ERROR* Line too long, ignored");
    sayPrompt();
    flush();
    return;
  }

  const QByteArray trimmed = raw.trimmed();
  QList<QByteArray> words = trimmed.toUpper().simplified().split(' ');
  switch (m_mode) {
    case Mode::Menu: menuCommand(words[0]); break;
    case Mode::Tacl: taclCommand(trimmed, words); break;
    case Mode::TaclPassword: taclPassword(raw); break;
    case Mode::Ncp: ncpCommand(trimmed, words); break;
    case Mode::NcpPassword: ncpPassword(raw); break;
    case Mode::Negotiating:
    case Mode::Closed: break;
  }
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
  m_mode = Mode::Menu;
  if (o.closeOn == "menu") return closeOrderly();
  if (o.resetOn == "menu") return resetConnection(kResetAfterTextMs);
  m_out->flood(o.flood);
  readInput();
}

void ClientSession::sendHostileNegotiation() {
  const SimOptions& o = m_ctx.options;
  QByteArray bytes;
  switch (o.hostile) {
    case SimOptions::Hostile::None: return;
    case SimOptions::Hostile::Storm:
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

void ClientSession::menuCommand(const QByteArray& choice) {
  if (choice == "TACL") {
    m_mode = Mode::Tacl;
  } else if (choice == "EXIT" || choice == "LOGOUT") {
    return logout();
  } else if (!choice.isEmpty()) {
    say("Invalid choice: " + choice);
  }
  sayPrompt();
}

void ClientSession::taclCommand(const QByteArray& trimmed, const QList<QByteArray>& words) {
  const QByteArray& verb = words[0];
  if (verb.isEmpty()) return sayPrompt();
  if (m_taclLoggedOn) ++m_taclNumber;
  if (verb == "LOGON") {
    const QByteArray user = trimmed.mid(5).trimmed();
    if (user.isEmpty()) {
      say("*ERROR* LOGON: expecting a user name");
      return sayPrompt();
    }
    m_taclUser = user;
    m_mode = Mode::TaclPassword;
    m_answer += "Password: ";
    return;
  }
  if (verb == "LOGOFF" || verb == "LOGOUT") return logout();
  if (verb == "EXIT") {
    // Outside NCPCOM there is nothing to leave; the session goes on.
    say("*ERROR* EXIT: not in NCPCOM; LOGOUT ends the session");
    return sayPrompt();
  }
  if (!m_taclLoggedOn) {
    say("*ERROR* Not logged on; use LOGON first");
    return sayPrompt();
  }
  if (verb == "SETPROMPT") {
    if (words.size() == 2 && words[1] == "SUBVOL") {
      m_subvolPrompt = true;
    } else if (words.size() == 1) {
      m_subvolPrompt = false;
    } else {
      say("*ERROR* SETPROMPT: expecting SUBVOL");
    }
  } else if (verb == "#MYSYSTEM") {
    say("\\" + m_ctx.network.systemName);
  } else if (verb == "STATUS") {
    QByteArray compact = words.join();
    if (compact == "STATUS*,PROG$*.*.PATHMON") {
      say(Layouts::pathmonHeader());
      int ordinal = 0;
      for (const Pathmon& pm : m_ctx.network.pathmons) say(Layouts::pathmonLine(pm.name, ordinal++));
    } else {
      say("*ERROR* STATUS: only STATUS *, PROG $*.*.PATHMON is available");
    }
  } else if (verb == "NCPCOM") {
    const int pm = words.size() < 2 ? -1 : m_ctx.network.findPathmon(words[1]);
    if (words.size() < 2) {
      say("*ERROR* NCPCOM: expecting a PATHMON name");
    } else if (pm < 0) {
      say("*ERROR* NCPCOM: PATHMON " + words[1] + " does not exist");
    } else {
      m_pathmon = pm;
      m_ncpLoggedOn = false;
      m_mode = Mode::Ncp;
      m_answer += Layouts::ncpcomBanner(m_ctx.network.systemName, m_ctx.network.pathmons[pm].name);
    }
  } else {
    say("*ERROR* Undefined command: " + words[0]);
  }
  sayPrompt();
}

void ClientSession::taclPassword(const QByteArray& password) {
  m_mode = Mode::Tacl;
  const SimOptions& o = m_ctx.options;
  m_taclLoggedOn = m_taclUser.toUpper() == o.taclUser.toUpper() && password == o.taclPassword;
  if (m_taclLoggedOn) {
    m_taclNumber = 2;
    m_subvolPrompt = false;
    m_answer += Layouts::taclLogonBanner(m_taclUser.toUpper());
  } else {
    say("*ERROR* Invalid user name or password");
  }
  sayPrompt();
}

void ClientSession::ncpCommand(const QByteArray& trimmed, const QList<QByteArray>& words) {
  const QByteArray& verb = words[0];
  if (verb.isEmpty()) return sayPrompt();
  if (verb == "SET" && words.size() >= 3 && words[1] == "USER") {
    m_ncpUser = words[2];
    m_mode = Mode::NcpPassword;
    m_answer += "PASSWORD: ";
    return;
  }
  if (verb == "EXIT") {
    say("NCPCOM TERMINATED");
    m_mode = Mode::Tacl;
    m_ncpLoggedOn = false;
    m_pathmon = -1;
    if (m_taclLoggedOn) ++m_taclNumber;
    return sayPrompt();
  }
  if (verb == "LOGOUT") return logout();
  if (verb == "STATUS" || verb == "INFO" || verb == "START" || verb == "STOP" || verb == "DELIVER") {
    if (!m_ncpLoggedOn) {
      say("*** ERROR: NOT LOGGED ON TO NCP, USE SET USER");
      return sayPrompt();
    }
    return ncpObjectCommand(trimmed, words);
  }
  say("*** ERROR: UNKNOWN COMMAND " + verb);
  sayPrompt();
}

void ClientSession::ncpPassword(const QByteArray& password) {
  m_mode = Mode::Ncp;
  const SimOptions& o = m_ctx.options;
  m_ncpLoggedOn = m_ncpUser == o.ncpUser.toUpper() && password == o.ncpPassword;
  say("");
  say(Layouts::ncpLogonLine(m_ncpUser, m_ncpLoggedOn));
  sayPrompt();
}

void ClientSession::ncpObjectCommand(const QByteArray& trimmed, const QList<QByteArray>& words) {
  const QByteArray& verb = words[0];
  if (verb == "DELIVER") return deliver(trimmed);
  const QByteArray kindText = words.size() > 1 ? words[1] : QByteArray();
  ObjectKind kind;
  if (kindText == "PROCESS" && verb != "INFO") {
    kind = ObjectKind::Process;
  } else if (kindText == "STATION") {
    kind = ObjectKind::Station;
  } else if (kindText == "LINE" && verb != "INFO") {
    kind = ObjectKind::Line;
  } else {
    say(verb == "INFO" ? "*** ERROR: EXPECTING STATION" : "*** ERROR: EXPECTING PROCESS, STATION OR LINE");
    return sayPrompt();
  }
  if (words.size() < 3) {
    say("*** ERROR: EXPECTING AN OBJECT NAME OR *");
    return sayPrompt();
  }
  Network& net = m_ctx.network;
  const bool listing = verb == "STATUS" || verb == "INFO";
  if (listing && words[2] == "*") {
    return startListing(verb == "INFO" ? Listing::stationInfo(net, m_pathmon, -1)
                                       : Listing::status(net, m_pathmon, kind, -1));
  }
  // A qualified name \SYSTEM.$PATHMON.NAME names the object by its last part.
  const QByteArray name = words[2].mid(words[2].lastIndexOf('.') + 1);
  NetObject* object = net.find(m_pathmon, kind, name);
  if (!object) {
    say("*** ERROR: " + kindText + " " + words[2] + " NOT FOUND");
    return sayPrompt();
  }
  if (listing) {
    const int index = static_cast<int>(object - net.pathmons[m_pathmon].objects(kind).data());
    return startListing(verb == "INFO" ? Listing::stationInfo(net, m_pathmon, index)
                                       : Listing::status(net, m_pathmon, kind, index));
  }
  const QByteArray q = kindText + " " + Layouts::qualified(net.systemName, net.pathmons[m_pathmon].name, object->name);
  if (verb == "START") {
    if (object->status == ObjectStatus::Started) {
      say("*** WARNING: " + q + " ALREADY STARTED");
    } else {
      Network::start(*object);
      say(q + " STARTING");
    }
  } else {
    if (object->status == ObjectStatus::Stopped) {
      say("*** WARNING: " + q + " ALREADY STOPPED");
    } else {
      Network::stop(*object);
      say(q + " STOPPED");
    }
  }
  sayPrompt();
}

void ClientSession::deliver(const QByteArray& trimmed) {
  // DELIVER PROCESS name, text: the text keeps its letter case and quotes.
  const QList<QByteArray> head = trimmed.simplified().split(' ');
  const int comma = trimmed.indexOf(',');
  QByteArray name;
  if (head.size() >= 3 && head[1].toUpper() == "PROCESS" && comma > 0) {
    const int start = trimmed.toUpper().indexOf("PROCESS") + 7;
    name = trimmed.mid(start, comma - start).trimmed().toUpper();
  }
  const QByteArray text = comma > 0 ? trimmed.mid(comma + 1).trimmed() : QByteArray();
  if (name.isEmpty() || text.isEmpty()) {
    say("*** ERROR: EXPECTING DELIVER PROCESS name, text");
    return sayPrompt();
  }
  Network& net = m_ctx.network;
  const NetObject* process = net.find(m_pathmon, ObjectKind::Process, name.mid(name.lastIndexOf('.') + 1));
  if (!process) {
    say("*** ERROR: PROCESS " + name + " NOT FOUND");
    return sayPrompt();
  }
  say("MESSAGE DELIVERED TO PROCESS " +
      Layouts::qualified(net.systemName, net.pathmons[m_pathmon].name, process->name) + ": " + text);
  sayPrompt();
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
        sayPrompt();
        flush();
        return;
      }
      m_listingPeek = line;
    }
    if (page > 0 && m_pageCount >= page) {
      m_answer += kMorePrompt;
      m_waitingMore = true;
      flush();
      return;
    }
    say(*m_listingPeek);
    m_listingPeek.reset();
    ++m_pageCount;
    if (m_answer.size() >= OutputStream::kLowWater) {
      flush();
      // The rest follows when the client has read this much (OutputStream::onDrained).
      if (m_out->backlog() >= OutputStream::kLowWater) return;
    }
  }
}

void ClientSession::say(const QByteArray& line) {
  m_answer += line + "\r\n";
}

void ClientSession::sayPrompt() {
  m_answer += prompt();
}

QByteArray ClientSession::prompt() const {
  switch (m_mode) {
    case Mode::Menu: return "Enter Choice> ";
    case Mode::Ncp:
    case Mode::NcpPassword: return Layouts::ncpcomPrompt(m_ctx.network.pathmons[m_pathmon].name);
    default: break;
  }
  if (!m_taclLoggedOn) return "TACL 1> ";
  const QByteArray group = m_taclUser.toUpper().split('.').first();
  if (m_subvolPrompt) return kVolume + "." + group + "> ";
  return kVolume + " " + group + " " + QByteArray::number(m_taclNumber) + "> ";
}

void ClientSession::flush() {
  m_out->write(m_echo, OutputStream::Kind::TextNoNul);
  m_out->write(m_answer, OutputStream::Kind::Text);
  m_echo.clear();
  m_answer.clear();
}

void ClientSession::logout() {
  say("Session ended. Goodbye from \\" + m_ctx.network.systemName + ".");
  closeOrderly();
}

void ClientSession::closeOrderly() {
  flush();
  m_mode = Mode::Closed;
  m_listing.reset();
  m_out->closeWhenDrained();
}

void ClientSession::resetConnection(int delayMs) {
  m_mode = Mode::Closed;
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
