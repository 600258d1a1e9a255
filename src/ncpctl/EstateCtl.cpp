#include "ncpctl/EstateCtl.h"

#include <QDateTime>
#include <algorithm>
#include <deque>

#include "ncpctl/MetricsWriter.h"
#include "ncpctl/NodeWriter.h"
#include "ncpctl/ObjectCensus.h"

EstateCtl::EstateCtl(CtlOptions options, Passwords passwords, std::FILE* out, std::FILE* err, const AuditTrail* audit)
    : m_options(std::move(options)), m_passwords(std::move(passwords)), m_out(out), m_err(err), m_audit(audit) {
  for (const std::string& field : m_options.hosts) {
    m_hosts.push_back(std::make_unique<Host>());
    m_hosts.back()->field = field;
  }
}

std::vector<EstateCtl::Run*> EstateCtl::runs() const {
  std::vector<Run*> all;
  for (const auto& host : m_hosts) {
    for (const auto& run : host->runs) all.push_back(run.get());
  }
  return all;
}

EstateCtl::Run& EstateCtl::addRun(Host& host, const std::string& pathmon) {
  CtlOptions options = m_options;
  options.host = host.field;
  options.hosts = {host.field};
  options.pathmon = pathmon;
  // The exposition is written here, for every run at once.
  options.textfile.clear();
  Passwords passwords{SecretText(std::string(m_passwords.tacl.text())),
                      SecretText(std::string(m_passwords.ncp.text()))};
  host.runs.push_back(std::make_unique<Run>());
  Run& run = *host.runs.back();
  run.ctl = std::make_unique<NcpCtl>(std::move(options), std::move(passwords), m_out, m_err, m_audit, &host.budget);
  run.ctl->OnLoaded = [this, &run] { loaded(run); };
  run.ctl->OnFinished = [this, &run](int status) { runFinished(run, status); };
  return run;
}

void EstateCtl::start() {
  const std::vector<std::string> names = m_options.pathmonNames();
  for (auto& host : m_hosts) {
    if (names.empty()) {
      Run& first = addRun(*host, {});
      if (m_options.allPathmons()) {
        first.ctl->OnPathmons = [this, &host = *host](const std::vector<std::string>& listed) {
          pathmonsListed(host, listed);
        };
      } else {
        host->listed = true;
      }
    } else {
      for (const std::string& name : names) addRun(*host, name);
      host->listed = true;
    }
  }
  if (!m_options.textfile.empty()) {
    // Refused before anything is sent: the work would be lost.
    m_textfile = std::make_unique<QSaveFile>(QString::fromStdString(m_options.textfile));
    if (!m_textfile->open(QIODevice::WriteOnly)) return textfileFailed();
  }
  for (Run* run : runs()) {
    if (m_failure) break;
    run->ctl->start();
  }
  forgetPasswordsWhenListed();
}

bool EstateCtl::allListed() const {
  return std::all_of(m_hosts.begin(), m_hosts.end(), [](const auto& host) { return host->listed; });
}

void EstateCtl::forgetPasswordsWhenListed() {
  // Every run that needs them holds its own copy then.
  if (!allListed()) return;
  m_passwords.tacl.wipe();
  m_passwords.ncp.wipe();
}

void EstateCtl::pathmonsListed(Host& host, const std::vector<std::string>& names) {
  if (host.listed) return;
  host.listed = true;
  if (names.size() > static_cast<size_t>(host.budget.limit)) {
    return failAll(ExitCode::NcpRefused, "the host " + host.field + " lists " + std::to_string(names.size()) +
                                             " PATHMONs; at most " + std::to_string(host.budget.limit) +
                                             " connections to one host are opened");
  }
  for (size_t i = 1; i < names.size() && !m_failure; ++i) addRun(host, names[i]).ctl->start();
  forgetPasswordsWhenListed();
}

void EstateCtl::loaded(Run& run) {
  run.loaded = true;
  const auto all = runs();
  if (m_failure || !allListed() || !std::all_of(all.begin(), all.end(), [](const Run* r) { return r->loaded; })) return;
  m_printed = true;
  switch (m_options.command) {
    case CtlOptions::Command::Metrics:
      printMetrics();
      break;
    case CtlOptions::Command::Check:
      printCheck();
      break;
    default:
      printTree();
      break;
  }
  if (!m_failure) releaseAll(ExitCode::Done);
}

void EstateCtl::runFinished(Run& run, int status) {
  run.finished = true;
  if (!m_printed && !m_failure) {
    // A run that ends before the output ends them all.
    m_failure = status;
    releaseAll(ExitCode::Connection);
  }
  const auto all = runs();
  if (m_finished || !std::all_of(all.begin(), all.end(), [](const Run* r) { return r->finished; })) return;
  m_finished = true;
  m_passwords.tacl.wipe();
  m_passwords.ncp.wipe();
  int code = static_cast<int>(ExitCode::Done);
  if (m_failure) {
    code = *m_failure;
  } else if (m_options.command == CtlOptions::Command::Check) {
    code = static_cast<int>(m_check.value_or(PluginState::Unknown));
  }
  if (OnFinished) OnFinished(code);
}

void EstateCtl::releaseAll(ExitCode code) {
  for (Run* run : runs()) {
    if (!run->finished) run->ctl->Release(code);
  }
}

void EstateCtl::printTree() {
  const bool json = m_options.format == CtlOptions::Format::Json;
  std::string out;
  out.reserve(NodeWriter::kBufferSize);
  for (const auto& host : m_hosts) {
    const NcpCtl& first = *host->runs.front()->ctl;
    if (!first.HostNode()) continue;
    const ncp::TreeNode& hostNode = *first.HostNode();
    const NodeWriter hostWriter(first.Registry(), m_out);
    if (json) {
      hostWriter.appendJsonHead(out, hostNode);
    } else {
      hostWriter.appendTextLine(out, hostNode, 0);
    }
    for (int i = 0; i < hostNode.childCount(); ++i) {
      // The PATHMON as the run that loaded it shows it; as the first run
      // shows it when none did.
      const std::string name = hostWriter.nameOf(*hostNode.child(i));
      const NcpCtl* owner = &first;
      for (const auto& run : host->runs) {
        if (run->ctl->Pathmon() == name) owner = run->ctl.get();
      }
      const NodeWriter writer(owner->Registry(), m_out);
      const ncp::TreeNode* node = hostNode.child(i);
      for (int j = 0; owner != &first && j < owner->HostNode()->childCount(); ++j) {
        if (writer.nameOf(*owner->HostNode()->child(j)) == name) node = owner->HostNode()->child(j);
      }
      if (!json) {
        writer.appendText(out, *node, 1);
        continue;
      }
      if (i > 0) out += ',';
      writer.appendJson(out, *node);
      writer.spill(out);
    }
    if (json) out += "]}\n";
  }
  std::fwrite(out.data(), 1, out.size(), m_out);
}

void EstateCtl::printMetrics() {
  std::deque<ObjectCensus> censuses;
  std::vector<MetricsWriter::Part> parts;
  for (const Run* run : runs()) {
    const NcpCtl& ctl = *run->ctl;
    censuses.emplace_back(ctl.Registry());
    parts.push_back({&censuses.back(),
                     {NodeWriter(ctl.Registry()).nameOf(*ctl.HostNode()), ctl.Pathmon(), ctl.LoadSeconds(),
                      QDateTime::currentMSecsSinceEpoch()}});
  }
  const MetricsWriter writer(std::move(parts));
  if (m_options.textfile.empty()) {
    writer.write([this](std::string_view piece) { std::fwrite(piece.data(), 1, piece.size(), m_out); });
    return;
  }
  writer.write([this](std::string_view piece) { m_textfile->write(piece.data(), static_cast<qint64>(piece.size())); });
  // commit() syncs the new file to disk before it renames it over the old one.
  if (!m_textfile->commit()) textfileFailed();
}

void EstateCtl::textfileFailed() {
  failAll(ExitCode::Usage, "cannot write " + m_options.textfile + ": " + m_textfile->errorString().toStdString());
}

void EstateCtl::failAll(ExitCode code, const std::string& sentence) {
  const bool check = m_options.command == CtlOptions::Command::Check;
  if (check) {
    std::fputs(CheckWriter::unknownLine(sentence).c_str(), m_out);
  } else {
    std::fprintf(m_err, "ncpctl: %s\n", NodeWriter::printable(sentence).c_str());
  }
  m_failure = check ? static_cast<int>(PluginState::Unknown) : static_cast<int>(code);
  releaseAll(code);
}

void EstateCtl::printCheck() {
  std::deque<ObjectCensus> censuses;
  std::vector<CheckWriter::Part> parts;
  for (const Run* run : runs()) {
    const NcpCtl& ctl = *run->ctl;
    censuses.emplace_back(ctl.Registry());
    parts.push_back({&censuses.back(), NodeWriter(ctl.Registry()).nameOf(*ctl.HostNode()) + ' ' + ctl.Pathmon()});
  }
  const CheckWriter check(parts, {m_options.objectType, m_options.objectName}, m_options.warning, m_options.critical);
  if (!m_options.objectName.empty() && !check.found()) {
    const char* what = m_options.objectType == xpUnknown ? "object" : XPNetTypeWord(m_options.objectType);
    return failAll(ExitCode::NotFound,
                   std::string("there is no ") + what + " " + m_options.objectName + " under any of the PATHMONs");
  }
  const std::string line = check.line();
  std::fwrite(line.data(), 1, line.size(), m_out);
  m_check = check.state();
}
