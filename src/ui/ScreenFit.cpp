#include "ui/ScreenFit.h"

#include <QGuiApplication>
#include <QScreen>
#include <algorithm>

QRect FitOnScreen(const WindowPlacement& placement, QSize designSize, QMargins frame) {
  const QPoint at(placement.left, placement.top);
  QSize size(placement.width >= 1 ? placement.width : designSize.width(),
             placement.height >= 1 ? placement.height : designSize.height());
  const QScreen* screen = QGuiApplication::screenAt(at);
  if (!screen) screen = QGuiApplication::primaryScreen();
  if (!screen) return {at, size};
  const QRect area = screen->availableGeometry();
  const QSize frameSize(frame.left() + frame.right(), frame.top() + frame.bottom());
  size = size.boundedTo((area.size() - frameSize).expandedTo(QSize(1, 1)));
  const QSize outer = size + frameSize;
  return {QPoint(std::clamp(at.x(), area.left(), std::max(area.left(), area.right() + 1 - outer.width())),
                 std::clamp(at.y(), area.top(), std::max(area.top(), area.bottom() + 1 - outer.height()))),
          size};
}
