#include "ncpctl/NcpCtl.h"

#include <QDateTime>
#include <algorithm>
#include <cmath>
#include <unordered_set>
#include <utility>

#include "ncpctl/CheckWriter.h"
#include "ncpctl/ConsolePlatform.h"
#include "ncpctl/CtlOptionTable.h"
#include "ncpctl/MetricsWriter.h"
#include "ncpctl/NodeWriter.h"
#include "ncpctl/ObjectCensus.h"
#include "transport/TWSocket.h"

namespace {

// How long the host gets to close the connection after "LOGOUT" before the
// run ends anyway: the work is done by then.
constexpr int kFarewellMs = 3000;
constexpr int kProgressMs = 250;

int milliseconds(double seconds) { return static_cast<int>(std::ceil(seconds * 1000)); }

}  // namespace

NcpCtl::NcpCtl(CtlOptions options, Passwords passwords, std::FILE* out, std::FILE* err, const AuditTrail* audit,
               ConnectionBudget* budget)
    : m_options(std::move(options)),
      m_passwords(std::move(passwords)),
      m_out(out),
      m_err(err),
      m_audit(audit),
      m_pool(m_session, m_handler, budget ? *budget : m_ownBudget) {
  m_timeout.setSingleShot(true);
  m_interval.setSingleShot(true);
  m_farewell.setSingleShot(true);
  m_reconnect.setSingleShot(true);
  m_progress.setInterval(kProgressMs);
  wire();
}

NcpCtl::~NcpCtl() {
  m_ending = true;
  // The session keeps copies of the passwords for its debug filter and its
  // own fields; the public ones are wiped here, the rest go with the session.
  SecretText::wipeString(m_session.Password);
  SecretText::wipeString(m_session.NCPPassword);
}

void NcpCtl::wire() {
  m_session.OnNCPState = [this](const std::string& text) { m_handler.NCPState(text); };
  if (m_audit) m_session.OnOperatorAction = [this](const ncp::OperatorAction& action) { record(action); };
  m_pool.Extra = m_options.connections - 1;
  m_pool.OnListed = [this] { sessionIdle(); };
  m_pool.OnGone = [this] { farewellDone(); };
  m_pool.OnLost = [this](const std::string& sentence) {
    if (!watchGoesOn()) return fail(ExitCode::Connection, sentence);
    // The refresh has a hole: the whole picture is taken again.
    m_session.Disconnect();
    m_handler.SessionClosed();
    reconnectLater(sentence);
  };
  m_session.OnCommand = [this](TTnCnx*, int queueCount, TNSKTelnetState state) {
    if (state == atsIdle && queueCount == 0) sessionIdle();
  };
  // The host's answer to a command: its lines, not the prompt that ends it.
  m_session.OnStringAvailable = [this](TTnCnx*, const std::string& line, TNSKTelnetState state) {
    if (m_stage == Stage::Command && state != atsCommandEnd && !line.empty()) m_answer.push_back(line);
  };
  m_session.OnSessionConnected = [this](TTnCnx*, uint16_t error) {
    if (error != 0) connectFailed(error);
  };
  m_session.OnSessionClosed = [this](TTnCnx*, uint16_t) {
    m_pool.Farewell();
    m_handler.SessionClosed();
    const std::string sentence = "the host " + m_options.host + " closed the connection";
    if (m_stage == Stage::Farewell) {
      farewellDone();
    } else if (watchGoesOn()) {
      reconnectLater(sentence);
    } else {
      fail(ExitCode::Connection, sentence);
    }
  };
  if (m_options.debug) {
    m_session.OnDebug = [this](TTnCnx* sender, const std::string& text) {
      trace(sender ? std::string(sender->ClassName()) + " " + text : text);
    };
    m_registry.OnDebug = m_session.OnDebug;
    m_pool.OnDebug = [this](const std::string& line) { trace(line); };
    m_handler.OnDebugLine = [this](const std::string& line) { trace(line); };
  }

  m_handler.OnTACLRefused = [this] {
    fail(ExitCode::TaclRefused, "the host refused the TACL logon of " + m_options.user);
  };
  m_handler.OnNCPRefused = [this] { fail(ExitCode::NcpRefused, "NCP refused the logon of " + m_options.ncpUser); };
  m_handler.OnNCPLoggedOn = [this] {
    if (m_stage != Stage::NcpLogon) return;
    m_stage = Stage::Loading;
    m_loadClock.start();
    if (consoleplatform::isTerminal(m_err)) m_progress.start();
  };
  m_handler.OnExpandHost = [this](ncp::TreeNode*) { m_pathmonsListed = true; };
  m_handler.OnObjectLimit = [this](size_t limit) {
    // What was loaded is all there will be; tree shows it, then says why it ends there.
    if (m_options.command == CtlOptions::Command::Tree && m_handler.HostNode()) printTree();
    fail(ExitCode::ObjectLimit, "the host listed more than " + std::to_string(limit) +
                                    " objects; the load stopped there and the connection was closed");
  };
  if (m_options.maxObjects) m_handler.MaxObjects = *m_options.maxObjects;
  m_handler.OnCommandRefused = [this](const std::string& hostLine) {
    if (m_refusal.empty()) m_refusal = hostLine;
  };

  QObject::connect(&m_timeout, &QTimer::timeout, &m_context, [this] {
    if (m_stage == Stage::Farewell) return finish(m_result);
    const auto seconds = QString::number(m_options.timeoutSeconds).toStdString();
    const std::string sentence = "the host did not answer within " + seconds + " seconds";
    if (!m_rejoining) return fail(ExitCode::Timeout, sentence);
    m_session.Disconnect();
    reconnectLater(sentence);
  });
  QObject::connect(&m_reconnect, &QTimer::timeout, &m_context, [this] { guarded(&NcpCtl::reconnect); });
  QObject::connect(&m_interval, &QTimer::timeout, &m_context, [this] { guarded(&NcpCtl::startRefresh); });
  QObject::connect(&m_farewell, &QTimer::timeout, &m_context, [this] { finish(m_result); });
  QObject::connect(&m_progress, &QTimer::timeout, &m_context, [this] { showProgress(false); });
}

void NcpCtl::connectFailed(uint16_t error) {
  using namespace socketerrors;
  if (error == kSshHostKeyUnknown || error == kSshHostKeyChanged || error == kSshHostKeyRevoked) {
    return fail(ExitCode::VerificationFailed, hostKeyRefusal(error));
  }
  if (error == kSshKnownHostsFile) {
    const std::string file = m_options.knownHosts.empty() ? "~/.ssh/known_hosts" : m_options.knownHosts;
    return fail(ExitCode::Usage, "the known-hosts file " + file + " cannot be read or written");
  }
  const std::string sentence = "cannot connect to " + m_options.host + ": " + WSocketErrorDesc(error);
  // A refused password is never tried again.
  if (m_rejoining && error != kSshAuthRefused && !isVerificationFailure(error)) return reconnectLater(sentence);
  if (!isVerificationFailure(error)) return fail(ExitCode::Connection, sentence);
  if (m_stage == Stage::Finished) return;
  // check's verdict line, then the certificate for the person who looks.
  if (m_options.command == CtlOptions::Command::Check) {
    write(CheckWriter::unknownLine(sentence + "; nothing was sent"));
  } else {
    this->error(sentence + "; nothing was sent");
  }
  if (const auto cert = m_session.PeerCertificate()) {
    // The host's own words, each on its line, made printable like every other.
    this->error("certificate " + cert->pin());
    this->error("subject " + cert->subject);
    this->error("issuer " + cert->issuer);
    this->error("valid from " + cert->notBefore + " to " + cert->notAfter);
    if (error != socketerrors::kTlsCertificateChanged) this->error("to trust it: --pin " + cert->pin());
  }
  finish(ExitCode::VerificationFailed);
}

std::string NcpCtl::hostKeyRefusal(uint16_t error) const {
  const auto* ssh = dynamic_cast<const SshStream*>(m_session.Socket());
  const std::string fingerprint = ssh ? ssh->HostKeyFingerprint() : std::string();
  if (error == socketerrors::kSshHostKeyChanged) {
    return "the SSH host key of " + m_options.host + " has changed (now " + fingerprint +
           "); refused. If the host's key was replaced, remove its old entry from the known-hosts file";
  }
  if (error == socketerrors::kSshHostKeyRevoked) {
    return "REVOKED HOST KEY DETECTED: the SSH host key of " + m_options.host + " (" + fingerprint +
           ") is marked @revoked in the known-hosts file; refused";
  }
  return "the SSH host key of " + m_options.host + " is not known (" + fingerprint +
         "); check it and run again with --accept-new-host-key to add it";
}

void NcpCtl::start() {
  if (m_options.pageQuietMs) m_session.PagePromptQuietMs = *m_options.pageQuietMs;
  m_session.Ssh.knownHostsFile = m_options.knownHosts;
  m_session.Ssh.acceptNewHostKey = m_options.acceptNewHostKey;
  m_session.Ssh.agentWaitMs = std::min(m_session.Ssh.agentWaitMs, milliseconds(m_options.timeoutSeconds));
  if (!m_options.textfile.empty()) {
    // Refused before anything is sent: the work would be lost.
    m_textfile = std::make_unique<QSaveFile>(QString::fromStdString(m_options.textfile));
    if (!m_textfile->open(QIODevice::WriteOnly)) {
      return fail(ExitCode::Usage,
                  "cannot write " + m_options.textfile + ": " + m_textfile->errorString().toStdString());
    }
  }
  armTimeout();
  m_session.Tls = {m_options.caFile, m_options.pin};
  try {
    m_session.Logon(m_options.host, m_options.user, m_passwords.tacl.text());
  } catch (const EUnsafeCommandText& e) {
    fail(ExitCode::Usage, e.what());
  } catch (const ESocketException& e) {
    if (e.ErrorCode() == socketerrors::kTlsCaFileUnreadable) {
      fail(ExitCode::Usage, "the CA file " + m_options.caFile + " holds no certificate that can be read");
    } else {
      fail(ExitCode::Connection, "cannot connect to " + m_options.host + ": " + e.what());
    }
  }
  // The session holds its own copy now.
  m_passwords.tacl.wipe();
}

void NcpCtl::failed(std::exception_ptr exception) {
  try {
    std::rethrow_exception(exception);
  } catch (const EUnsafeCommandText& e) {
    fail(ExitCode::Usage, e.what());
  } catch (const ESocketException& e) {
    if (m_stage == Stage::Farewell) return finish(m_result);
    fail(ExitCode::Connection, std::string("the connection failed: ") + e.what());
  } catch (const std::exception& e) {
    fail(ExitCode::Connection, std::string("the run failed: ") + e.what());
  } catch (...) {
    fail(ExitCode::Connection, "the run failed");
  }
}

void NcpCtl::guarded(void (NcpCtl::*step)()) {
  try {
    (this->*step)();
  } catch (...) {
    failed(std::current_exception());
  }
}

void NcpCtl::sessionIdle() {
  // Each stage goes on from the event loop, outside the session's handlers,
  // so that what it sends goes out at once and a close cannot pull the
  // session from under a running handler.
  if (m_advanceQueued || m_stage == Stage::Finished) return;
  m_advanceQueued = true;
  QTimer::singleShot(0, &m_context, [this] {
    m_advanceQueued = false;
    guarded(&NcpCtl::advance);
  });
}

void NcpCtl::advance() {
  if (m_session.State() != atsIdle || m_session.QueueCount() != 0 || m_pool.Busy()) return;
  switch (m_stage) {
    case Stage::TaclLogon:
      if (m_pathmonsListed) pathmonsListed();
      break;
    case Stage::NcpLogon:
      fail(ExitCode::NcpRefused, "NCPCOM did not start for PATHMON " + m_options.pathmon);
      break;
    case Stage::Loading:
      showProgress(true);
      runCommand();
      break;
    case Stage::Command:
      commandDone();
      break;
    case Stage::Refreshing:
      refreshDone();
      break;
    default:
      break;
  }
}

void NcpCtl::pathmonsListed() {
  std::vector<const ExtInfo*> pathmons;
  for (const auto& entry : m_registry.Items()) {
    if (entry->NetType == xpPathmon) pathmons.push_back(entry.get());
  }
  if (!m_handler.HostNode()) return fail(ExitCode::TaclRefused, "the host did not name its system");
  if (m_options.command == CtlOptions::Command::Pathmons) {
    if (m_options.format == CtlOptions::Format::Json) {
      std::string out;
      NodeWriter(m_registry).appendJson(out, *m_handler.HostNode());
      write(out + "\n");
    } else {
      std::string out;
      for (const ExtInfo* entry : pathmons) {
        NodeWriter::appendPrintable(out, entry->Name);
        out += '\n';
      }
      write(out);
    }
    return farewell(ExitCode::Done);
  }
  if (pathmons.empty()) return fail(ExitCode::NcpRefused, "the host lists no PATHMON");
  if (OnPathmons && !m_rejoining) {
    std::vector<std::string> names;
    for (const ExtInfo* entry : pathmons) names.push_back(entry->Name);
    OnPathmons(names);
    if (m_stage == Stage::Finished) return;
  }
  const ExtInfo* chosen = pathmons.front();
  if (!m_options.pathmon.empty()) {
    const auto it =
        std::find_if(pathmons.begin(), pathmons.end(), [&](const ExtInfo* e) { return e->Name == m_options.pathmon; });
    if (it == pathmons.end()) return fail(ExitCode::NcpRefused, "the host has no PATHMON " + m_options.pathmon);
    chosen = *it;
  }
  m_options.pathmon = chosen->Name;
  m_stage = Stage::NcpLogon;
  // After a loss: the copy the session kept of the password of the first logon.
  const SecretText password{std::string(m_rejoining ? m_session.NCPPassword : m_passwords.ncp.text())};
  m_handler.LogonNCP(chosen->Node, m_options.ncpUser, password.text());
  m_passwords.ncp.wipe();
}

std::vector<const ExtInfo*> NcpCtl::matchingEntries() const {
  std::vector<const ExtInfo*> found;
  for (const auto& entry : m_registry.Items()) {
    if (entry->NetType == m_options.objectType && entry->Name == m_options.objectName) found.push_back(entry.get());
  }
  return found;
}

void NcpCtl::runCommand() {
  using Command = CtlOptions::Command;
  const Command command = m_options.command;
  if (OnLoaded && (command == Command::Tree || command == Command::Metrics || command == Command::Check)) {
    m_stage = Stage::Held;
    m_timeout.stop();
    return OnLoaded();
  }
  if (command == Command::Tree || command == Command::Metrics) {
    if (!m_handler.HostNode()) return fail(ExitCode::Connection, "the tree was cleared before it was printed");
    if (command == Command::Metrics) return printMetrics();
    printTree();
    return farewell(ExitCode::Done);
  }
  if (command == Command::Check) {
    const ObjectCensus census(m_registry);
    const CheckWriter check(census, {m_options.objectType, m_options.objectName}, m_options.warning,
                            m_options.critical);
    if (!m_options.objectName.empty() && !check.found()) {
      const char* what = m_options.objectType == xpUnknown ? "object" : XPNetTypeWord(m_options.objectType);
      return fail(ExitCode::NotFound, std::string("there is no ") + what + " " + m_options.objectName +
                                          " under PATHMON " + m_options.pathmon);
    }
    write(check.line());
    m_pluginState = check.state();
    return farewell(ExitCode::Done);
  }
  if (command == Command::Watch) {
    if (std::exchange(m_rejoining, false)) {
      error("connected again to " + m_options.host);
      m_backoff.reset();
      reportChanges();
    } else {
      m_watched = statusSnapshot();
    }
    return waitForRefresh();
  }

  if (matchingEntries().empty()) {
    error("there is no " + std::string(XPNetTypeWord(m_options.objectType)) + " " + m_options.objectName +
          " under PATHMON " + m_options.pathmon);
    return farewell(ExitCode::NotFound);
  }
  m_stage = Stage::Command;
  m_answer.clear();
  m_refusal.clear();
  m_session.Perform(*ctloptions::commandRow(command).action, m_options.objectType, m_options.objectName);
}

void NcpCtl::commandDone() {
  using Command = CtlOptions::Command;
  const Command command = m_options.command;
  if (!m_refusal.empty()) {
    error("the host refused " + commandWords() + ": " + m_refusal);
    return farewell(ExitCode::Refused);
  }
  if (command == Command::SignOn || command == Command::KeyChange || command == Command::WarmBoot) {
    printAnswer();
  } else {
    printNodes(matchingEntries());
  }
  farewell(ExitCode::Done);
}

void NcpCtl::printTree() {
  std::string out;
  out.reserve(NodeWriter::kBufferSize);
  NodeWriter writer(m_registry, m_out);
  if (m_options.format == CtlOptions::Format::Json) {
    writer.appendJson(out, *m_handler.HostNode());
    out += '\n';
  } else {
    writer.appendText(out, *m_handler.HostNode());
  }
  write(out);
}

void NcpCtl::printMetrics() {
  const ObjectCensus census(m_registry);
  MetricsWriter::Snapshot snapshot{NodeWriter(m_registry).nameOf(*m_handler.HostNode()), m_options.pathmon,
                                   static_cast<double>(m_loadClock.nsecsElapsed()) / 1e9,
                                   QDateTime::currentMSecsSinceEpoch()};
  const MetricsWriter writer(census, std::move(snapshot));
  if (!m_textfile) {
    writer.write([this](std::string_view piece) { std::fwrite(piece.data(), 1, piece.size(), m_out); });
    return farewell(ExitCode::Done);
  }
  writer.write([this](std::string_view piece) { m_textfile->write(piece.data(), static_cast<qint64>(piece.size())); });
  // commit() syncs the new file to disk before it renames it over the old one.
  if (!m_textfile->commit()) {
    error("cannot write " + m_options.textfile + ": " + m_textfile->errorString().toStdString());
    return farewell(ExitCode::Usage);
  }
  farewell(ExitCode::Done);
}

std::string NcpCtl::commandWords() const {
  const ctloptions::CommandRow& row = ctloptions::commandRow(m_options.command);
  if (ctloptions::namesProcess(row)) return std::string(row.word) + ' ' + m_options.objectName;
  return std::string(row.word) + ' ' + XPNetTypeWord(m_options.objectType) + ' ' + m_options.objectName;
}

void NcpCtl::printNodes(const std::vector<const ExtInfo*>& entries) {
  NodeWriter writer(m_registry, m_out);
  std::string out;
  out.reserve(NodeWriter::kBufferSize);
  if (m_options.format == CtlOptions::Format::Json) {
    out += '[';
    for (size_t i = 0; i < entries.size(); ++i) {
      if (i > 0) out += ',';
      writer.appendJson(out, *entries[i]->Node);
    }
    out += "]\n";
  } else {
    for (const ExtInfo* entry : entries) writer.appendText(out, *entry->Node);
  }
  write(out);
}

void NcpCtl::printAnswer() {
  std::string out;
  if (m_options.format == CtlOptions::Format::Json) {
    out += "{\"process\":";
    NodeWriter::appendJsonString(out, m_options.objectName);
    out += ",\"message\":\"";
    out += ctloptions::commandRow(m_options.command).word;
    out += "\",\"answer\":[";
    for (size_t i = 0; i < m_answer.size(); ++i) {
      if (i > 0) out += ',';
      NodeWriter::appendJsonString(out, m_answer[i]);
    }
    out += "]}\n";
  } else {
    for (const std::string& line : m_answer) {
      NodeWriter::appendPrintable(out, line);
      out += '\n';
    }
  }
  write(out);
}

std::unordered_map<std::string, TXPNetStatus> NcpCtl::statusSnapshot() const {
  std::unordered_map<std::string, TXPNetStatus> snapshot;
  snapshot.reserve(m_registry.Items().size());
  for (const auto& entry : m_registry.Items()) {
    if (const auto status = NodeWriter::statusOf(*entry)) {
      snapshot[std::string(XPNetTypeWord(entry->NetType)) + ' ' + entry->Name] = *status;
    }
  }
  return snapshot;
}

void NcpCtl::startRefresh() {
  if (m_stage != Stage::WatchWait) return;
  m_stage = Stage::Refreshing;
  armTimeout();
  m_pool.StatusAll();
}

void NcpCtl::refreshDone() {
  reportChanges();
  ++m_refreshes;
  if (m_options.count > 0 && m_refreshes >= m_options.count) return farewell(ExitCode::Done);
  waitForRefresh();
}

void NcpCtl::waitForRefresh() {
  m_stage = Stage::WatchWait;
  m_timeout.stop();
  m_interval.start(milliseconds(m_options.intervalSeconds));
}

bool NcpCtl::watchGoesOn() const {
  const bool watching = m_rejoining || m_stage == Stage::WatchWait || m_stage == Stage::Refreshing;
  return m_options.command == CtlOptions::Command::Watch && m_options.reconnect && watching && !m_ending;
}

void NcpCtl::reconnectLater(const std::string& sentence) {
  if (m_stage == Stage::ReconnectWait || m_stage == Stage::Finished) return;
  m_rejoining = true;
  m_stage = Stage::ReconnectWait;
  m_timeout.stop();
  m_interval.stop();
  const ReconnectBackoff::Wait wait = m_backoff.next();
  error(sentence + "; connecting again in " + QString::number(double(wait.count()) / 1000, 'f', 1).toStdString() +
        " s");
  m_reconnect.start(wait);
}

void NcpCtl::reconnect() {
  m_stage = Stage::TaclLogon;
  m_pathmonsListed = false;
  armTimeout();
  // The session kept the user and its copy of the password of the first logon.
  const SecretText password{std::string(m_session.Password)};
  try {
    m_session.Logon(m_options.host, m_options.user, password.text(), ncp::ActionKind::Reconnect);
  } catch (const ESocketException& e) {
    reconnectLater("cannot connect to " + m_options.host + ": " + e.what());
  }
}

void NcpCtl::reportChanges() {
  const bool json = m_options.format == CtlOptions::Format::Json;
  const std::string time = QDateTime::currentDateTimeUtc().toString(Qt::ISODate).toStdString();
  std::unordered_set<std::string> reported;
  std::string out;
  for (const auto& item : m_registry.Items()) {
    const ExtInfo& entry = *item;
    const auto status = NodeWriter::statusOf(entry);
    if (!status) continue;
    const char* type = XPNetTypeWord(entry.NetType);
    std::string key = std::string(type) + ' ' + entry.Name;
    auto it = m_watched.find(key);
    if (it == m_watched.end() || it->second == *status || !reported.insert(key).second) continue;
    const TXPNetStatus previous = it->second;
    it->second = *status;
    if (json) {
      out += "{\"time\":\"" + time + "\",\"type\":\"" + type + "\",\"name\":";
      NodeWriter::appendJsonString(out, entry.Name);
      out += std::string(",\"previous\":\"") + XPNetStatusWord(previous) + "\",\"status\":\"" +
             XPNetStatusWord(*status) + "\",\"text\":";
      NodeWriter::appendJsonString(out, entry.Node->text());
      out += "}\n";
    } else {
      out += time + ' ' + type + ' ';
      NodeWriter::appendPrintable(out, entry.Name);
      out += std::string(" ") + XPNetStatusWord(previous) + " -> " + XPNetStatusWord(*status) + '\n';
    }
  }
  write(out);
  std::fflush(m_out);
}

void NcpCtl::farewell(ExitCode result) {
  m_result = result;
  m_stage = Stage::Farewell;
  m_interval.stop();
  m_pool.Farewell();
  try {
    m_handler.Disconnect();
  } catch (const ESocketException&) {
    // The host is gone already; the work is done.
  }
  if (!m_session.IsConnected() && m_pool.Connections() == 0) return finish(result);
  m_farewell.start(kFarewellMs);
}

void NcpCtl::farewellDone() {
  // Every connection leaves in order before the run ends.
  if (m_stage == Stage::Farewell && !m_session.IsConnected() && m_pool.Connections() == 0) finish(m_result);
}

void NcpCtl::fail(ExitCode code, const std::string& sentence) {
  if (m_stage == Stage::Finished) return;
  if (m_options.command == CtlOptions::Command::Check) {
    write(CheckWriter::unknownLine(sentence));
  } else {
    error(sentence);
  }
  finish(code);
}

void NcpCtl::finish(ExitCode code) {
  if (m_stage == Stage::Finished) return;
  m_stage = Stage::Finished;
  m_timeout.stop();
  m_interval.stop();
  m_farewell.stop();
  m_reconnect.stop();
  showProgress(true);
  m_passwords.tacl.wipe();
  m_passwords.ncp.wipe();
  std::fflush(m_out);
  int status = static_cast<int>(code);
  if (m_options.command == CtlOptions::Command::Check) {
    status = static_cast<int>(code == ExitCode::Done && m_pluginState ? *m_pluginState : PluginState::Unknown);
  }
  if (OnFinished) OnFinished(status);
}

void NcpCtl::armTimeout() { m_timeout.start(milliseconds(m_options.timeoutSeconds)); }

void NcpCtl::showProgress(bool done) {
  if (done) {
    m_progress.stop();
    if (m_progressShown) std::fputs("\r\033[K", m_err);
    m_progressShown = false;
    return;
  }
  std::fprintf(m_err, "\rloading: %zu objects", m_registry.Items().size());
  std::fflush(m_err);
  m_progressShown = true;
}

void NcpCtl::write(const std::string& text) { std::fwrite(text.data(), 1, text.size(), m_out); }

// Both carry host text (names, error lines), which must not reach the
// terminal as control characters.
void NcpCtl::trace(const std::string& line) { std::fprintf(m_err, "%s\n", NodeWriter::printable(line).c_str()); }

void NcpCtl::record(const ncp::OperatorAction& action) {
  std::string problem;
  if (m_audit->write(action, &problem) || m_auditFailed) return;
  m_auditFailed = true;
  // After the end of the run the exit code is given already, and while this
  // is destroyed the timers error() stops are gone: the sentence is all.
  if (m_ending || m_stage == Stage::Finished) {
    std::fprintf(m_err, "ncpctl: %s\n", NodeWriter::printable(problem).c_str());
    return;
  }
  fail(ExitCode::Usage, problem);
}

void NcpCtl::error(const std::string& sentence) {
  showProgress(true);
  std::fprintf(m_err, "ncpctl: %s\n", NodeWriter::printable(sentence).c_str());
  std::fflush(m_err);
}
