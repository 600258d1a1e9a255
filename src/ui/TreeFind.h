// TreeFind: the find bar above the main window's tree. As the operator types,
// only the objects whose name contains the text (any letter case) stay
// visible, with their ancestors; the status toggles beside it keep only the
// objects in the chosen statuses (PATHMONs and the host stay as ancestors).
// Enter selects the next match after the current node; Escape (or an empty
// field with no toggle down) shows the whole tree again, as it was: the nodes
// the find opened are closed, the current node stays current and in view.
//
// A large network is never walked node by node: the matches come from the
// registry's names, each marks its ancestors (QtTreeNode::findMark), and rows
// are hidden only where the view shows children, that is under open nodes;
// a node opened later has its children sorted out then. The find opens the
// ancestors of its matches only when they are few (kOpenLimit).
//
// The nodes it hid or opened are held by pointer: the owner calls Forget
// before the tree loses any node. Nodes added while a find is shown are not
// filtered until it changes. Owned by the main window. UI thread only.
#pragma once

#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "ncp/TXPNetObjList.h"
#include "ui/QtTreeNodes.h"

class QLineEdit;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;

class TreeFind : public QWidget {
  Q_OBJECT
 public:
  // A find with no more matches than this opens their ancestors.
  static constexpr size_t kOpenLimit = 100;

  TreeFind(QTreeWidget* tree, QWidget* parent);

  // The registries whose names are searched, one per connection shown;
  // unassigned: nothing matches.
  std::function<std::vector<const TXPNetObjList*>()> Registries;

  // Ctrl+F: the field gets the focus, its text selected.
  void FocusFind();
  // Escape: empties the field and lifts the toggles; the whole tree shows.
  void Clear();
  // Enter: the next node after the current one that matched, wrapping round.
  void SelectNext();
  // The tree is about to lose nodes: every node shows again and the find is
  // emptied, without touching the nodes otherwise.
  void Forget();
  bool Active() const { return m_find != 0; }
  size_t MatchCount() const { return m_matches; }

  QLineEdit* edFind;
  // Abnormal, Stopped, Starting, Started.
  std::array<QToolButton*, 4> btnStatus{};
  static constexpr std::array<TXPNetStatus, 4> kToggleStatus = {nsAbnormal, nsStopped, nsStarting, nsStarted};

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void apply();
  bool matches(const ExtInfo& entry) const;
  bool isKept(const QtTreeNode* node) const { return node->findMark / 2 == m_find; }
  bool isMatch(const QtTreeNode* node) const { return node->findMark == m_find * 2 + 1; }
  void showAll();
  // Hides the children of parent (the top-level nodes for null) that the
  // find did not keep, and goes on into the open ones it kept.
  void hideUnkept(QTreeWidgetItem* parent);
  void open(const std::vector<QTreeWidgetItem*>& matched);
  void closeOpened();

  QTreeWidget* m_tree;
  // The number of the find shown (0: none), as the nodes are stamped.
  uint32_t m_find = 0;
  uint32_t m_lastFind = 0;
  std::string m_needle;                 // lower case
  std::array<bool, 4> m_statusShown{};  // by TXPNetStatus
  bool m_anyStatus = false;
  size_t m_matches = 0;
  bool m_applying = false;
  std::vector<QTreeWidgetItem*> m_hidden;
  std::vector<QTreeWidgetItem*> m_opened;
};
