#include "ui/ChangesPanel.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace {

// Each row keeps its object and new status for opening and acknowledging.
constexpr int kTypeRole = Qt::UserRole;
constexpr int kNameRole = Qt::UserRole + 1;
constexpr int kStatusRole = Qt::UserRole + 2;

bool isProblem(TXPNetStatus status) { return status == nsAbnormal || status == nsStopped; }

}  // namespace

QString StatusWord(TXPNetStatus status) {
  // "(Started)" as the tree shows it, without the brackets.
  const QString text = QString::fromLatin1(XPNetStatusText(status));
  return text.mid(1, text.size() - 2);
}

QString ObjectWords(TXPNetType type, const std::string& name) {
  QString word = QString::fromLatin1(XPNetTypeWord(type));
  if (!word.isEmpty()) word[0] = word[0].toUpper();
  return word + ' ' + QString::fromLatin1(name.data(), qsizetype(name.size()));
}

ChangesPanel::ChangesPanel(QWidget* parent) : QDockWidget(tr("Changes"), parent) {
  setObjectName("dkChanges");
  setAccessibleName(tr("Status changes"));
  auto* body = new QWidget(this);
  auto* layout = new QVBoxLayout(body);
  layout->setContentsMargins(0, 0, 0, 0);
  lvChanges = new QTreeWidget(body);
  lvChanges->setObjectName("lvChanges");
  lvChanges->setAccessibleName(tr("Alarm list"));
  lvChanges->setAccessibleDescription(
      tr("Status changes, newest first. Enter selects the object in the tree; Acknowledge marks the selected rows."));
  lvChanges->setRootIsDecorated(false);
  lvChanges->setUniformRowHeights(true);
  lvChanges->setSelectionMode(QAbstractItemView::ExtendedSelection);
  lvChanges->setHeaderLabels(
      {tr("Time"), tr("Object"), tr("Old"), tr("New"), tr("Host"), tr("PATHMON"), tr("By"), tr("Acknowledged")});
  lvChanges->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
  lvChanges->installEventFilter(this);
  connect(lvChanges, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) { openRow(item); });
  layout->addWidget(lvChanges);

  auto* buttons = new QHBoxLayout;
  btnAcknowledge = new QPushButton(tr("A&cknowledge"), body);
  btnAcknowledge->setObjectName("btnAcknowledge");
  btnAcknowledgeAll = new QPushButton(tr("Acknowledge A&ll"), body);
  btnAcknowledgeAll->setObjectName("btnAcknowledgeAll");
  connect(btnAcknowledge, &QPushButton::clicked, this, &ChangesPanel::AcknowledgeSelected);
  connect(btnAcknowledgeAll, &QPushButton::clicked, this, &ChangesPanel::AcknowledgeAll);
  buttons->addWidget(btnAcknowledge);
  buttons->addWidget(btnAcknowledgeAll);
  buttons->addStretch();
  layout->addLayout(buttons);
  setWidget(body);
}

void ChangesPanel::SetHost(const QString& host, const QString& user) {
  m_host = host;
  m_user = user;
  for (int i = 0; i < lvChanges->topLevelItemCount(); ++i) {
    QTreeWidgetItem* item = lvChanges->topLevelItem(i);
    item->setHidden(item->text(kHost) != host);
  }
  recount();
}

void ChangesPanel::Add(const QDateTime& time, const std::vector<StatusChange>& changes) {
  const QString at = time.toString("yyyy-MM-dd HH:mm:ss");
  const size_t shown = std::min(changes.size(), size_t(kKept));
  QList<QTreeWidgetItem*> rows;
  rows.reserve(qsizetype(shown));
  // Newest first; within one refresh in the registry's order.
  for (size_t i = 0; i < shown; ++i) {
    const StatusChange& c = changes[i];
    auto* row = new QTreeWidgetItem(QStringList{at, ObjectWords(c.type, c.name), StatusWord(c.before),
                                                StatusWord(c.after), c.host.isEmpty() ? m_host : c.host, c.pathmon,
                                                c.ownAction ? tr("This console") : tr("Elsewhere"), QString()});
    row->setData(0, kTypeRole, int(c.type));
    row->setData(0, kNameRole, QString::fromLatin1(c.name.data(), qsizetype(c.name.size())));
    row->setData(0, kStatusRole, int(c.after));
    rows << row;
  }
  lvChanges->insertTopLevelItems(0, rows);
  while (lvChanges->topLevelItemCount() > kKept) delete lvChanges->takeTopLevelItem(lvChanges->topLevelItemCount() - 1);
  recount();
}

QTreeWidgetItem* ChangesPanel::shownRow(int row) const {
  for (int i = 0; i < lvChanges->topLevelItemCount(); ++i) {
    QTreeWidgetItem* item = lvChanges->topLevelItem(i);
    if (!item->isHidden() && row-- == 0) return item;
  }
  return nullptr;
}

int ChangesPanel::RowCount() const {
  int shown = 0;
  for (int i = 0; i < lvChanges->topLevelItemCount(); ++i) shown += lvChanges->topLevelItem(i)->isHidden() ? 0 : 1;
  return shown;
}

QStringList ChangesPanel::Row(int row) const {
  QStringList out;
  if (QTreeWidgetItem* item = shownRow(row))
    for (int c = 0; c < item->columnCount(); ++c) out << item->text(c);
  return out;
}

void ChangesPanel::AcknowledgeSelected() {
  const QString at = QDateTime::currentDateTime().toString("yyyy-MM-dd HH:mm:ss");
  for (QTreeWidgetItem* item : lvChanges->selectedItems())
    if (!item->isHidden()) acknowledge(item, at);
  recount();
}

void ChangesPanel::AcknowledgeAll() {
  const QString at = QDateTime::currentDateTime().toString("yyyy-MM-dd HH:mm:ss");
  for (int i = 0; i < lvChanges->topLevelItemCount(); ++i)
    if (!lvChanges->topLevelItem(i)->isHidden()) acknowledge(lvChanges->topLevelItem(i), at);
  recount();
}

void ChangesPanel::acknowledge(QTreeWidgetItem* item, const QString& at) {
  if (!item->text(kAcknowledged).isEmpty()) return;
  item->setText(kAcknowledged, tr("%1 at %2").arg(m_user, at));
  emit Acknowledged(TXPNetType(item->data(0, kTypeRole).toInt()), item->data(0, kNameRole).toString(),
                    TXPNetStatus(item->data(0, kStatusRole).toInt()));
}

void ChangesPanel::openRow(QTreeWidgetItem* item) {
  if (item)
    emit Open(TXPNetType(item->data(0, kTypeRole).toInt()), item->data(0, kNameRole).toString(), item->text(kHost),
              item->text(kPathmon));
}

void ChangesPanel::recount() {
  int count = 0;
  for (int i = 0; i < lvChanges->topLevelItemCount(); ++i) {
    const QTreeWidgetItem* item = lvChanges->topLevelItem(i);
    if (!item->isHidden() && item->text(kAcknowledged).isEmpty() &&
        isProblem(TXPNetStatus(item->data(0, kStatusRole).toInt())))
      ++count;
  }
  if (count == m_unacknowledged) return;
  m_unacknowledged = count;
  emit UnacknowledgedChanged(count);
}

bool ChangesPanel::eventFilter(QObject* watched, QEvent* event) {
  if (watched == lvChanges && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      openRow(lvChanges->currentItem());
      return true;
    }
  }
  return QDockWidget::eventFilter(watched, event);
}
