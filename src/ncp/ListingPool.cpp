#include "ncp/ListingPool.h"

#include <algorithm>
#include <exception>
#include <utility>

#include "ncp/NcpEvent.h"
#include "nsk/SecretText.h"

using ncp::NcpEvent;

namespace {

// The session keeps the passwords of its logons in its own fields.
void forgetPasswords(TNCPTelnet& session) {
  SecretText::wipeString(session.Password);
  SecretText::wipeString(session.NCPPassword);
}

}  // namespace

ListingPool::ListingPool(TNCPTelnet& lead, NCPStateHandler& handler, ConnectionBudget& budget)
    : m_lead(lead), m_handler(handler), m_budget(budget) {
  m_budget.take();
  m_logonDeadline.setSingleShot(true);
  QObject::connect(&m_logonDeadline, &QTimer::timeout, [this] { logonOverdue(); });
  m_handOnTurn.setSingleShot(true);
  QObject::connect(&m_handOnTurn, &QTimer::timeout, [this] { handOn(); });
  m_handler.LoadObjects = [this] { Load(); };
}

ListingPool::~ListingPool() {
  m_handler.LoadObjects = nullptr;
  for (auto& link : m_links) {
    link->session->OnSessionClosed = nullptr;
    link->session->OnNCPState = nullptr;
    forgetPasswords(*link->session);
    m_budget.give();
  }
  m_budget.give();
}

void ListingPool::open() {
  if (m_open) return;
  m_open = true;
  m_pathmon = m_lead.Pathmon();
  for (int i = 0; i < Extra && m_budget.take(); ++i) openLink();
  if (!m_links.empty()) m_logonDeadline.start(kLogonDeadlineMs);
}

void ListingPool::logonOverdue() {
  std::vector<Link*> overdue;
  for (auto& link : m_links) {
    if (!link->ready && !link->leaving) overdue.push_back(link.get());
  }
  for (Link* link : overdue) {
    if (OnDebug) OnDebug("[" + std::to_string(link->number) + "] not logged on in time: closed");
    retire(*link);
  }
}

void ListingPool::openLink() {
  auto owned = std::make_unique<Link>();
  Link& link = *owned;
  link.number = ++m_opened + 1;
  link.session = std::make_unique<TNCPTelnet>();
  TNCPTelnet& session = *link.session;
  session.Tls = m_lead.Tls;
  session.PagePromptQuietMs = m_lead.PagePromptQuietMs;
  session.Ssh.knownHostsFile = m_lead.Ssh.knownHostsFile;
  session.Ssh.acceptNewHostKey = m_lead.Ssh.acceptNewHostKey;
  session.OnNCPState = [this, &link](const std::string& text) { linkState(link, text); };
  session.OnSessionClosed = [this, &link](TTnCnx*, uint16_t) { linkClosed(link); };
  session.OnSessionConnected = [this, &link](TTnCnx*, uint16_t error) {
    if (error != 0) linkClosed(link);
  };
  if (OnDebug) {
    session.OnDebug = [this, number = link.number](TTnCnx* sender, const std::string& text) {
      OnDebug("[" + std::to_string(number) + "] " + (sender ? std::string(sender->ClassName()) + " " : "") + text);
    };
  }
  m_links.push_back(std::move(owned));
  try {
    session.Logon(m_lead.HostField(), m_lead.UserName, m_lead.Password);
  } catch (const std::exception& e) {
    if (OnDebug) OnDebug("[" + std::to_string(link.number) + "] not opened: " + e.what());
    remove(link);
  }
}

void ListingPool::linkState(Link& link, const std::string& text) {
  const auto event = ncp::parseEvent(text);
  if (!event || link.leaving) return;
  switch (*event) {
    case NcpEvent::TaclLoggedOn:
      link.session->LogonNCP(m_lead.Pathmon(), m_lead.NCPUserName, m_lead.NCPPassword);
      break;
    case NcpEvent::NcpLoggedOn:
      link.ready = true;
      dispatch();
      break;
    case NcpEvent::TaclRefused:
    case NcpEvent::NcpRefused:
      retire(link);
      break;
    default:
      if (link.step < 0 || m_stopped) break;
      if (!m_merge->add(static_cast<size_t>(link.step), text)) {
        lose("the host listed more than " + std::to_string(m_handler.MaxObjects) + " objects");
      }
      break;
  }
}

void ListingPool::linkClosed(Link& link) {
  if (link.step >= 0 && !link.leaving && !m_stopped) {
    lose("listing connection " + std::to_string(link.number) + " ended during " + m_steps[link.step].command);
  }
  remove(link);
}

void ListingPool::retire(Link& link) {
  link.leaving = true;
  link.ready = false;
  link.session->Farewell(link.session->NCPStarted());
  // A connection closed on the spot has been removed already, link with it.
  const auto it = find(link);
  if (it != m_links.end() && !link.session->IsConnected()) remove(link);
}

std::vector<std::unique_ptr<ListingPool::Link>>::iterator ListingPool::find(const Link& link) {
  return std::find_if(m_links.begin(), m_links.end(), [&](const auto& owned) { return owned.get() == &link; });
}

void ListingPool::remove(Link& link) {
  const auto it = find(link);
  if (it == m_links.end()) return;
  const std::unique_ptr<Link> gone = std::move(*it);
  m_links.erase(it);
  m_budget.give();
  // Possibly called from the session's own handlers: it goes once they are done.
  TNCPTelnet* session = gone->session.release();
  session->OnSessionClosed = nullptr;
  session->OnSessionConnected = nullptr;
  session->OnNCPState = nullptr;
  session->OnDebug = nullptr;
  forgetPasswords(*session);
  session->deleteLater();
  if (m_links.empty() && OnGone) OnGone();
  dispatch();
}

bool ListingPool::alive() const {
  return std::any_of(m_links.begin(), m_links.end(), [](const auto& link) { return !link->leaving; });
}

bool ListingPool::Opening() const {
  return std::any_of(m_links.begin(), m_links.end(), [](const auto& link) { return !link->ready && !link->leaving; });
}

void ListingPool::Load() {
  // Connections logged on to the PATHMON the lead has left list nothing more.
  if (m_open && m_pathmon != m_lead.Pathmon()) Farewell();
  open();
  if (!alive()) return m_lead.GetNetObjects();
  run(TNCPTelnet::LoadSteps(), false);
}

void ListingPool::StatusAll() {
  // After a loss the listing connections are opened anew.
  open();
  if (!alive()) return m_lead.StatusAll();
  run(TNCPTelnet::RefreshSteps(), false);
}

void ListingPool::PerformStatusAll() {
  open();
  if (!alive()) return m_lead.PerformStatusAll();
  if (m_lead.BeginStatusAllAction()) run(TNCPTelnet::RefreshSteps(), true);
}

void ListingPool::run(std::span<const TNCPTelnet::ListingStep> steps, bool operatorRun) {
  m_steps = steps;
  m_stopped = false;
  m_leadAlone = false;
  m_operatorRun = operatorRun;
  m_pending.clear();
  m_handOnTurn.stop();
  for (size_t i = 0; i < steps.size(); ++i) m_pending.push_back(i);
  m_merge = std::make_unique<ListingMerge>(
      steps.size(), m_handler.MaxObjects,
      [this](const std::string& event) {
        // What still waited when a farewell or a loss ended the run is dropped.
        if (!m_stopped) m_handler.NCPState(event);
      },
      [this] {
        finishAction(ncp::ActionOutcome::Accepted);
        if (OnListed) OnListed();
      });
  dispatch();
}

void ListingPool::finishAction(ncp::ActionOutcome outcome) {
  if (std::exchange(m_operatorRun, false)) m_lead.FinishStatusAllAction(outcome);
}

void ListingPool::dispatch() {
  while (!m_pending.empty() && !m_stopped) {
    const size_t step = m_pending.front();
    const auto free = std::find_if(m_links.begin(), m_links.end(),
                                   [](const auto& link) { return link->ready && !link->leaving && link->step < 0; });
    if (free != m_links.end()) {
      Link& link = **free;
      m_pending.pop_front();
      link.step = static_cast<int>(step);
      link.session->RunListing(m_steps[step], [this, &link, step] {
        link.step = -1;
        m_merge->end(step);
        if (m_merge->backlog()) m_handOnTurn.start(0);
        dispatch();
      });
    } else if (!alive() && (m_leadAlone || m_merge->handedOnBefore(step))) {
      // Every listing before this one has been handed on, or runs on the
      // lead before it: the lead's answers go to the handler straight, in
      // their place.
      m_leadAlone = true;
      m_pending.pop_front();
      m_lead.RunListing(m_steps[step], [this, step] { m_merge->end(step); });
    } else {
      return;
    }
  }
}

void ListingPool::handOn() {
  m_merge->handOn(kEventsPerTurn);
  if (m_merge->backlog()) m_handOnTurn.start(0);
  dispatch();
}

void ListingPool::lose(const std::string& sentence) {
  Farewell();
  if (OnLost) OnLost(sentence);
}

void ListingPool::Farewell() {
  // A refresh cut short is told as the lead tells one its own end cuts short.
  finishAction(ncp::ActionOutcome::Lost);
  m_stopped = true;
  m_open = false;
  m_handOnTurn.stop();
  m_pending.clear();
  std::vector<Link*> staying;
  for (auto& link : m_links) {
    if (!link->leaving) staying.push_back(link.get());
  }
  for (Link* link : staying) retire(*link);
}
