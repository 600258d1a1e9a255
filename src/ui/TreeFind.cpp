#include "ui/TreeFind.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QToolButton>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QVBoxLayout>
#include <algorithm>
#include <string_view>

#include "ui/QtTreeNodes.h"

namespace {

// Latin-1 letters to lower case, every other byte as it is.
const std::array<char, 256>& foldTable() {
  static const std::array<char, 256> table = [] {
    std::array<char, 256> t{};
    for (int c = 0; c < 256; ++c) {
      const char16_t lower = QChar(char16_t(c)).toLower().unicode();
      t[c] = char(lower < 256 ? lower : c);
    }
    return t;
  }();
  return table;
}

bool containsFolded(std::string_view name, std::string_view needle) {
  const auto& fold = foldTable();
  if (needle.size() > name.size()) return false;
  for (size_t at = 0; at + needle.size() <= name.size(); ++at) {
    size_t i = 0;
    while (i < needle.size() && fold[uint8_t(name[at + i])] == needle[i]) ++i;
    if (i == needle.size()) return true;
  }
  return false;
}

// Every item of the main window's tree is a QtTreeNode (QtTreeNodes makes
// them all), so no item needs a checked cast on these walks.
QtTreeNode* nodeOf(QTreeWidgetItem* item) { return static_cast<QtTreeNode*>(item); }

bool isAncestor(const QTreeWidgetItem* ancestor, const QTreeWidgetItem* item) {
  for (const QTreeWidgetItem* p = item ? item->parent() : nullptr; p; p = p->parent())
    if (p == ancestor) return true;
  return false;
}

}  // namespace

TreeFind::TreeFind(QTreeWidget* tree, QWidget* parent) : QWidget(parent), m_tree(tree) {
  setObjectName("pnlFind");
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 2);
  layout->setSpacing(2);
  edFind = new QLineEdit(this);
  edFind->setObjectName("edFind");
  edFind->setAccessibleName(tr("Find objects by name"));
  edFind->setPlaceholderText(tr("Find (Ctrl+F)"));
  edFind->setClearButtonEnabled(true);
  edFind->installEventFilter(this);
  layout->addWidget(edFind);
  connect(edFind, &QLineEdit::textChanged, this, [this] { apply(); });
  connect(edFind, &QLineEdit::returnPressed, this, &TreeFind::SelectNext);

  auto* toggles = new QHBoxLayout;
  toggles->setSpacing(1);
  const char* names[] = {QT_TR_NOOP("Abnormal"), QT_TR_NOOP("Stopped"), QT_TR_NOOP("Starting"), QT_TR_NOOP("Started")};
  for (size_t i = 0; i < btnStatus.size(); ++i) {
    auto* button = new QToolButton(this);
    button->setObjectName(QString("btnShow") + names[i]);
    button->setText(tr(names[i]));
    button->setAccessibleName(tr("Show only %1").arg(tr(names[i])));
    button->setCheckable(true);
    button->setAutoRaise(true);
    connect(button, &QToolButton::toggled, this, [this] { apply(); });
    toggles->addWidget(button);
    btnStatus[i] = button;
  }
  toggles->addStretch();
  layout->addLayout(toggles);
  // The tree pane keeps its width; a narrow pane shows the toggles cut short.
  setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);

  connect(m_tree, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* item) {
    if (Active() && !m_applying) hideUnkept(item);
  });
}

void TreeFind::FocusFind() {
  edFind->setFocus(Qt::ShortcutFocusReason);
  edFind->selectAll();
}

void TreeFind::Clear() {
  {
    const QSignalBlocker quiet(edFind);
    edFind->clear();
    for (QToolButton* button : btnStatus) {
      const QSignalBlocker quietButton(button);
      button->setChecked(false);
    }
  }
  apply();
}

void TreeFind::Forget() {
  if (!Active()) return;
  showAll();
  const QSignalBlocker quiet(edFind);
  edFind->clear();
  for (QToolButton* button : btnStatus) {
    const QSignalBlocker quietButton(button);
    button->setChecked(false);
  }
}

bool TreeFind::eventFilter(QObject* watched, QEvent* event) {
  if (watched == edFind && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Escape) Clear();
    if (key == Qt::Key_Down) m_tree->setFocus();
    if (key == Qt::Key_Escape || key == Qt::Key_Down) return true;
  }
  return QWidget::eventFilter(watched, event);
}

bool TreeFind::matches(const ExtInfo& entry) const {
  if (m_anyStatus &&
      (entry.NetType == xpPathmon || entry.Status >= m_statusShown.size() || !m_statusShown[entry.Status]))
    return false;
  return containsFolded(entry.Name, m_needle);
}

void TreeFind::apply() {
  const QString text = edFind->text();
  m_anyStatus = false;
  m_statusShown.fill(false);
  for (size_t i = 0; i < btnStatus.size(); ++i) {
    if (!btnStatus[i]->isChecked()) continue;
    m_statusShown[kToggleStatus[i]] = true;
    m_anyStatus = true;
  }
  if (text.isEmpty() && !m_anyStatus) return showAll();

  // Host names are Latin-1: a character outside it matches nothing.
  const bool foreign = std::any_of(text.begin(), text.end(), [](QChar c) { return c.unicode() > 0xFF; });
  m_needle.clear();
  for (QChar c : text) m_needle += foldTable()[uint8_t(c.unicode())];
  m_find = ++m_lastFind;
  m_matches = 0;
  std::vector<QTreeWidgetItem*> matched;
  for (const TXPNetObjList* registry : Registries && !foreign ? Registries() : std::vector<const TXPNetObjList*>{}) {
    for (const auto& entry : registry->Items()) {
      if (!matches(*entry)) continue;
      QtTreeNode* node = static_cast<QtTreeNode*>(entry->Node);
      // A PATHMON's node is in the registry of every connection to its host.
      if (node->findMark == m_find * 2 + 1) continue;
      node->findMark = m_find * 2 + 1;
      for (QtTreeNode* kept = nodeOf(node->QTreeWidgetItem::parent()); kept && !isKept(kept);
           kept = nodeOf(kept->QTreeWidgetItem::parent()))
        kept->findMark = m_find * 2;
      if (++m_matches <= kOpenLimit) matched.push_back(node);
    }
  }

  m_applying = true;
  // What the last find hid and this one keeps shows again.
  const auto keptNow = [this](QTreeWidgetItem* item) {
    if (!isKept(nodeOf(item))) return false;
    item->setHidden(false);
    return true;
  };
  m_hidden.erase(std::remove_if(m_hidden.begin(), m_hidden.end(), keptNow), m_hidden.end());
  closeOpened();
  if (m_matches <= kOpenLimit) open(matched);
  hideUnkept(nullptr);
  m_applying = false;
}

void TreeFind::hideUnkept(QTreeWidgetItem* parent) {
  const int count = parent ? parent->childCount() : m_tree->topLevelItemCount();
  for (int i = 0; i < count; ++i) {
    QTreeWidgetItem* child = parent ? parent->child(i) : m_tree->topLevelItem(i);
    if (!isKept(nodeOf(child))) {
      if (!child->isHidden()) {
        child->setHidden(true);
        m_hidden.push_back(child);
      }
    } else if (child->childCount() > 0 && child->isExpanded()) {
      hideUnkept(child);
    }
  }
}

void TreeFind::open(const std::vector<QTreeWidgetItem*>& matched) {
  for (QTreeWidgetItem* node : matched) {
    for (QTreeWidgetItem* p = node->parent(); p && !p->isExpanded(); p = p->parent()) {
      p->setExpanded(true);
      m_opened.push_back(p);
    }
  }
}

void TreeFind::closeOpened() {
  for (auto it = m_opened.rbegin(); it != m_opened.rend(); ++it) (*it)->setExpanded(false);
  m_opened.clear();
}

void TreeFind::showAll() {
  for (QTreeWidgetItem* item : m_hidden) item->setHidden(false);
  m_hidden.clear();
  QTreeWidgetItem* current = m_tree->currentItem();
  for (auto it = m_opened.rbegin(); it != m_opened.rend(); ++it)
    if (!isAncestor(*it, current)) (*it)->setExpanded(false);
  m_opened.clear();
  m_find = 0;
  m_matches = 0;
  if (current) m_tree->scrollToItem(current);
}

void TreeFind::SelectNext() {
  if (!Active() || m_matches == 0) return;
  QTreeWidgetItem* current = m_tree->currentItem();
  const auto matchIn = [this](QTreeWidgetItemIterator it, QTreeWidgetItem* stop) -> QTreeWidgetItem* {
    for (; *it && *it != stop; ++it)
      if (isMatch(nodeOf(*it))) return *it;
    return nullptr;
  };
  QTreeWidgetItem* next = nullptr;
  if (current) next = matchIn(++QTreeWidgetItemIterator(current), nullptr);
  if (!next) next = matchIn(QTreeWidgetItemIterator(m_tree), current);
  if (!next && current && isMatch(nodeOf(current))) next = current;
  if (!next) return;
  m_tree->setCurrentItem(next);
  m_tree->scrollToItem(next);
}
