// StatusDelegate: draws the tree's nodes in a colour per status (the status
// text they begin with), so that statuses are told apart at a glance without
// changing the pictures or the texts; a stale picture is drawn grey instead.
// UI thread only.
#pragma once

#include <QStyledItemDelegate>

class StatusDelegate : public QStyledItemDelegate {
  Q_OBJECT
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  void SetStale(bool stale) { m_stale = stale; }

 protected:
  void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

 private:
  bool m_stale = false;
};
