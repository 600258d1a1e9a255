#include "ui/ObjectPopupMenu.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMessageBox>

ObjectPopupMenu::ObjectPopupMenu(TNCPTelnet& session, QWidget* parent)
    : QObject(parent), m_session(session), m_parent(parent) {
  pMenu = new QMenu(parent);
  pMenu->setObjectName("pMenu");
  pMenu->setAccessibleName("Object commands");
  const auto add = [this](const char* name, const char* caption) {
    QAction* action = pMenu->addAction(caption);
    action->setObjectName(name);
    return action;
  };
  Refresh = add("Refresh", "&Refresh");
  Start = add("Start", "Start");
  Stop = add("Stop", "Stop");
  Signon = add("Signon", "Sign On");
  SignOff = add("SignOff", "Sign Off");
  KeyChange = add("KeyChange", "Key Change");
  Warmboot = add("Warmboot", "Warmboot");
  N1 = pMenu->addSeparator();
  N1->setObjectName("N1");
  RefreshAll = add("RefreshAll", "Refresh All");
  AlterParameters1 = add("AlterParameters1", "Alter Parameters");
  for (int i = 0; i < kItemCount; ++i) {
    connect(item(i), &QAction::triggered, this, [this, i] {
      if (Handler handler = m_handlers[static_cast<size_t>(i)]) (this->*handler)();
    });
  }
  m_handlers[kRefreshAll] = &ObjectPopupMenu::RefreshAllClick;
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
  using P = ObjectPopupMenu;
  const QString name = QString::fromLatin1(m_name.data(), qsizetype(m_name.size()));
  const auto hide = [this](int position) { item(position)->setVisible(false); };
  switch (type) {
    case xpUnknown:
    case xpPathmon:
      set(kRefresh, false, nullptr);
      for (int i = kStart; i <= kN1; ++i) hide(i);
      break;
    case xpStation:
      Refresh->setText("Refresh Station " + name);
      set(kRefresh, true, &P::RefreshStation);
      set(kStart, true, &P::StartStation);
      set(kStop, true, &P::StopStation);
      for (int i = kSignon; i <= kN1; ++i) hide(i);
      break;
    case xpProcess:
      Refresh->setText("Refresh Process " + name);
      set(kRefresh, true, &P::RefreshProcess);
      set(kStart, true, &P::StartProcess);
      set(kStop, true, &P::StopProcess);
      set(kSignon, true, &P::SignOnProcess);
      set(kSignOff, true, nullptr);
      set(kKeyChange, true, &P::KeyChangeProcess);
      set(kWarmboot, true, &P::WarmBootProcess);
      N1->setVisible(true);
      break;
    case xpLine:
      Refresh->setText("Refresh Line " + name);
      set(kRefresh, true, &P::RefreshLine);
      set(kStart, true, &P::StartLine);
      set(kStop, true, &P::StopLine);
      for (int i = kSignon; i <= kN1; ++i) hide(i);
      break;
    default:
      return;
  }
  set(kAlter, true, &P::AlterProcess);
}

void ObjectPopupMenu::act(const char* action,
                          std::initializer_list<void (TNCPTelnet::*)(const std::string&)> operations) {
  if (!m_hasObject) return;
  if (OnDebugLine) OnDebugLine(std::string(action) + " " + m_name);
  try {
    for (auto operation : operations) (m_session.*operation)(m_name);
  } catch (const EUnsafeCommandText& e) {
    // The first operation refuses the name, so nothing of the action went out.
    if (OnUnsafeText) OnUnsafeText(e);
  }
}

void ObjectPopupMenu::RefreshAllClick() { m_session.StatusAll(); }
void ObjectPopupMenu::RefreshStation() { act("RefreshStation", {&TNCPTelnet::StatusStation}); }
void ObjectPopupMenu::RefreshLine() { act("RefreshLine", {&TNCPTelnet::StatusLine}); }
void ObjectPopupMenu::RefreshProcess() { act("RefreshProcess", {&TNCPTelnet::StatusProcess}); }
void ObjectPopupMenu::StartStation() { act("StartStation", {&TNCPTelnet::StartStation, &TNCPTelnet::StatusStation}); }
void ObjectPopupMenu::StartLine() { act("StartLine", {&TNCPTelnet::StartLine, &TNCPTelnet::StatusLine}); }
void ObjectPopupMenu::StartProcess() { act("StartProcess", {&TNCPTelnet::StartProcess, &TNCPTelnet::StatusProcess}); }
void ObjectPopupMenu::StopStation() { act("StopStation", {&TNCPTelnet::StopStation, &TNCPTelnet::StatusStation}); }
void ObjectPopupMenu::StopLine() { act("StopLine", {&TNCPTelnet::StopLine, &TNCPTelnet::StatusLine}); }
void ObjectPopupMenu::StopProcess() { act("StopProcess", {&TNCPTelnet::StopProcess, &TNCPTelnet::StatusProcess}); }
void ObjectPopupMenu::SignOnProcess() { act("SignOnProcess", {&TNCPTelnet::SignOn}); }
void ObjectPopupMenu::KeyChangeProcess() { act("KeyChangeProcess", {&TNCPTelnet::KeyChange}); }
void ObjectPopupMenu::WarmBootProcess() { act("WarmBootProcess", {&TNCPTelnet::WarmBoot}); }

void ObjectPopupMenu::AlterProcess() {
  QMessageBox box(QMessageBox::NoIcon, QApplication::applicationName(), "Not available in this version.",
                  QMessageBox::Ok, m_parent);
  box.exec();
}
