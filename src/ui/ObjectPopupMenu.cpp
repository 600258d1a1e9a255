#include "ui/ObjectPopupMenu.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMessageBox>
#include <utility>

ObjectPopupMenu::ObjectPopupMenu(TNCPTelnet& session, QWidget* parent)
    : QObject(parent), m_session(&session), m_parent(parent) {
  pMenu = new QMenu(parent);
  pMenu->setObjectName("pMenu");
  pMenu->setAccessibleName(tr("Object commands"));
  const auto add = [this](const char* name, const QString& caption) {
    QAction* action = pMenu->addAction(caption);
    action->setObjectName(name);
    return action;
  };
  Refresh = add("Refresh", tr("&Refresh"));
  Start = add("Start", tr("&Start"));
  Stop = add("Stop", tr("S&top"));
  Signon = add("Signon", tr("Sign &On"));
  SignOff = add("SignOff", tr("Sign O&ff"));
  KeyChange = add("KeyChange", tr("&Key Change"));
  Warmboot = add("Warmboot", tr("&Warmboot"));
  N1 = pMenu->addSeparator();
  N1->setObjectName("N1");
  RefreshAll = add("RefreshAll", tr("Refresh &All"));
  AlterParameters1 = add("AlterParameters1", tr("Alter &Parameters"));
  NcpLogon = pMenu->addAction(tr("NCP &Logon..."));
  NcpLogon->setObjectName("NcpLogon");
  for (int i = 0; i < kItemCount; ++i) {
    connect(item(i), &QAction::triggered, this, [this, i] {
      if (const Handler& handler = m_handlers[static_cast<size_t>(i)]) handler();
    });
  }
  m_handlers[kRefreshAll] = [this] { RefreshAllClick(); };
}

QAction* ObjectPopupMenu::item(int position) const { return pMenu->actions().value(position); }

bool ObjectPopupMenu::ItemActs(int position) const {
  return position >= 0 && position < kItemCount && m_handlers[static_cast<size_t>(position)] != nullptr;
}

ncp::TreeNode* ObjectPopupMenu::pMenuPopup(const TXPNetObjList& registry, ncp::TreeNode* node) {
  const ExtInfo* entry = node ? registry.FindByNode(node) : nullptr;
  if (!entry || entry->Node != node) {
    Forget();
    return nullptr;
  }
  // A copy, not the entry: a reload or a disconnect may remove the entry
  // while the menu is open.
  m_hasObject = true;
  m_name = entry->Name;
  m_type = entry->NetType;
  configure(entry->NetType);
  const bool logon = CanLogonNcp && OnNcpLogon && CanLogonNcp(entry->Node);
  set(kNcpLogon, logon, logon ? Handler(OnNcpLogon) : Handler());
  return entry->Node;
}

void ObjectPopupMenu::Forget() {
  m_hasObject = false;
  m_name.clear();
  m_type = xpUnknown;
  for (int i = 0; i < kItemCount; ++i) {
    if (i != kRefreshAll) set(i, false, nullptr);
  }
}

void ObjectPopupMenu::set(int position, bool visible, Handler handler) {
  item(position)->setVisible(visible);
  m_handlers[static_cast<size_t>(position)] = handler;
}

void ObjectPopupMenu::configure(TXPNetType type) {
  using ncp::NcpAction;
  static constexpr std::pair<Position, NcpAction> kActionItems[] = {
      {kRefresh, NcpAction::Status}, {kStart, NcpAction::Start},         {kStop, NcpAction::Stop},
      {kSignon, NcpAction::SignOn},  {kKeyChange, NcpAction::KeyChange}, {kWarmboot, NcpAction::WarmBoot},
  };
  if (type > xpLine) return;
  for (const auto& [position, action] : kActionItems) {
    const bool offered = ncp::commandKind(action, type) != nullptr;
    set(position, offered, offered ? Handler([this, action = action] { Act(action); }) : Handler());
  }
  const bool messages = ncp::commandKind(NcpAction::SignOn, type) != nullptr;
  set(kSignOff, messages, nullptr);
  N1->setVisible(messages);
  if (const ncp::ObjectKind* kind = ncp::objectKind(type)) {
    const QString name = QString::fromLatin1(m_name.data(), qsizetype(m_name.size()));
    Refresh->setText(tr("&Refresh %1 %2").arg(QString::fromLatin1(kind->word), name));
  }
  set(kAlter, true, [this] { AlterProcess(); });
}

void ObjectPopupMenu::Act(ncp::NcpAction action) {
  const ncp::ObjectKind* kind = ncp::commandKind(action, m_type);
  if (!m_hasObject || !kind) return;
  if (Confirm && !Confirm(action)) return;
  if (OnDebugLine) OnDebugLine(ncp::actionName(ncp::actionWords(action), *kind) + " " + m_name);
  try {
    m_session->Perform(action, m_type, m_name);
  } catch (const EUnsafeCommandText& e) {
    // The first command refuses the name, so nothing of the action went out.
    if (OnUnsafeText) OnUnsafeText(e);
  } catch (const ESocketException& e) {
    if (OnSendFailed) OnSendFailed(e);
  }
}

void ObjectPopupMenu::RefreshAllClick() {
  try {
    if (OnRefreshAll)
      OnRefreshAll();
    else
      m_session->PerformStatusAll();
  } catch (const ESocketException& e) {
    if (OnSendFailed) OnSendFailed(e);
  }
}

void ObjectPopupMenu::AlterProcess() {
  QMessageBox box(QMessageBox::NoIcon, QApplication::applicationName(), tr("Not available in this version."),
                  QMessageBox::Ok, m_parent);
  box.exec();
}
