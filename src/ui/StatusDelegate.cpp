#include "ui/StatusDelegate.h"

#include <QColor>

#include "ncp/XPNetTypes.h"

namespace {

// Dark enough to read on the light background, apart from each other.
QColor colourOf(TXPNetStatus status) {
  switch (status) {
    case nsAbnormal:
      return QColor(0xb0, 0x00, 0x00);
    case nsStopped:
      return QColor(0x9a, 0x4a, 0x00);
    case nsStarting:
      return QColor(0x00, 0x40, 0xa0);
    case nsStarted:
      return QColor(0x00, 0x6a, 0x00);
  }
  return {};
}

}  // namespace

void StatusDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const {
  QStyledItemDelegate::initStyleOption(option, index);
  if (m_stale) {
    option->palette.setColor(QPalette::Text, option->palette.color(QPalette::Disabled, QPalette::Text));
    return;
  }
  for (TXPNetStatus status : kXPNetStatuses) {
    if (option->text.startsWith(QLatin1String(XPNetStatusText(status)))) {
      option->palette.setColor(QPalette::Text, colourOf(status));
      return;
    }
  }
}
