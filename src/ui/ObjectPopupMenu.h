// ObjectPopupMenu: the tree's popup menu pMenu with its items by position
// (0 Refresh, 1 Start, 2 Stop, 3 Sign On, 4 Sign Off, 5 Key Change,
// 6 Warmboot, 7 separator, 8 Refresh All, 9 Alter Parameters, 10 NCP Logon,
// on a PATHMON that CanLogonNcp allows), each with its mnemonic, configured
// just before it opens for the object of the node under the mouse, and its
// actions: each object item is an action of the session's command table
// (ncp/NcpCommands.h), offered where the object's type has it; it writes its
// debug line and has the session perform it on PopupObject, the object the
// menu was last opened on. A hidden item acts on nothing.
//
// No node (a click on empty space), or a node without a registry entry of
// its own (the host node, or any node while the registry is empty), gets
// Refresh All alone and no object: the object items never act on some other,
// last registered object. Nor on an object of a tree that has been cleared
// since: the owner calls Forget then, even while the menu is open.
//
// Owned by the main window, which shows the menu on a right click and passes
// the node under the mouse with the registry and session of its connection
// (SetSession); the session must outlive its use. UI thread only.
#pragma once

#include <QObject>
#include <array>
#include <functional>
#include <string>

#include "ncp/TNCPTelnet.h"
#include "ncp/TXPNetObjList.h"

class QAction;
class QMenu;
class QWidget;

class ObjectPopupMenu : public QObject {
  Q_OBJECT
 public:
  static constexpr int kItemCount = 11;

  ObjectPopupMenu(TNCPTelnet& session, QWidget* parent);
  // The connection the object items act on, from the next opening on.
  void SetSession(TNCPTelnet& session) { m_session = &session; }

  // A line for the debug window, whatever the state of View, Debug.
  std::function<void(const std::string& line)> OnDebugLine;
  // The session refused the object's name (it would change the command);
  // nothing was sent.
  std::function<void(const EUnsafeCommandText& e)> OnUnsafeText;
  // The command could not be sent: the connection is gone.
  std::function<void(const ESocketException& e)> OnSendFailed;
  // Asked before an action is performed, when assigned; false: nothing is sent.
  std::function<bool(ncp::NcpAction action)> Confirm;
  // Refresh All runs this instead of the session's StatusAll when assigned
  // (the window follows its refreshes).
  std::function<void()> OnRefreshAll;
  // Whether the NCP logon may start on the PATHMON of node, and starting it.
  std::function<bool(ncp::TreeNode* node)> CanLogonNcp;
  std::function<void()> OnNcpLogon;

  // Configures the menu for node (null: empty space, no object). Returns the
  // node to select: the node of PopupObject, or null to leave the selection
  // alone.
  ncp::TreeNode* pMenuPopup(const TXPNetObjList& registry, ncp::TreeNode* node);
  // No object any more: the object items are hidden and act on nothing.
  void Forget();

  bool HasPopupObject() const { return m_hasObject; }
  const std::string& PopupObjectName() const { return m_name; }
  TXPNetType PopupObjectType() const { return m_type; }
  // Whether item position runs a handler.
  bool ItemActs(int position) const;

  void RefreshAllClick();
  // Writes "<action name> <name>" ("StartLine L1") and has the session
  // perform the action on PopupObject.
  void Act(ncp::NcpAction action);
  void AlterProcess();

  QMenu* pMenu;
  QAction* Refresh;
  QAction* Start;
  QAction* Stop;
  QAction* Signon;
  QAction* SignOff;
  QAction* KeyChange;
  QAction* Warmboot;
  QAction* N1;
  QAction* RefreshAll;
  QAction* AlterParameters1;
  QAction* NcpLogon;

 private:
  using Handler = std::function<void()>;
  enum Position {
    kRefresh,
    kStart,
    kStop,
    kSignon,
    kSignOff,
    kKeyChange,
    kWarmboot,
    kN1,
    kRefreshAll,
    kAlter,
    kNcpLogon
  };

  QAction* item(int position) const;
  void set(int position, bool visible, Handler handler);
  void configure(TXPNetType type);

  TNCPTelnet* m_session;
  QWidget* m_parent;
  std::array<Handler, kItemCount> m_handlers{};
  bool m_hasObject = false;
  std::string m_name;
  TXPNetType m_type = xpUnknown;
};
