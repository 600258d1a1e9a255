#include "ui/NodeImages.h"

#include <QImage>
#include <QPainter>
#include <QPolygon>
#include <functional>

namespace {

const QColor kOutline(40, 40, 40);

QPixmap draw(const std::function<void(QPainter&)>& paint) {
  QImage image(NodeImages::kSize, NodeImages::kSize, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  paint(p);
  p.end();
  return QPixmap::fromImage(image);
}

void hostComputer(QPainter& p) {
  p.setPen(kOutline);
  p.setBrush(QColor(192, 192, 192));
  p.drawRect(QRectF(1.5, 1.5, 13, 9));
  p.setBrush(QColor(0, 96, 160));
  p.drawRect(QRectF(3.5, 3.5, 9, 5));
  p.setBrush(QColor(192, 192, 192));
  p.drawRect(QRectF(6.5, 10.5, 3, 2));
  p.drawRect(QRectF(2.5, 12.5, 11, 2));
}

void diamond(QPainter& p) {
  p.setPen(QColor(30, 110, 170));
  p.setBrush(QColor(135, 206, 250));
  p.drawPolygon(QPolygonF({QPointF(8, 1), QPointF(15, 8), QPointF(8, 15), QPointF(1, 8)}));
}

void disc(QPainter& p, const QColor& colour) {
  p.setPen(colour.darker(170));
  p.setBrush(colour);
  p.drawEllipse(QRectF(2, 2, 12, 12));
}

void plug(QPainter& p) {
  p.setPen(QPen(kOutline, 1.5));
  p.drawLine(QPointF(0, 9), QPointF(3, 9));       // cable
  p.drawLine(QPointF(9, 6.5), QPointF(12, 6.5));  // prongs
  p.drawLine(QPointF(9, 11.5), QPointF(12, 11.5));
  p.setPen(kOutline);
  p.setBrush(QColor(150, 150, 150));
  p.drawRoundedRect(QRectF(3.5, 4.5, 6, 9), 1.5, 1.5);
}

void doubleArrow(QPainter& p) {
  p.setPen(QColor(0, 0, 120));
  p.setBrush(QColor(0, 64, 220));
  p.drawPolygon(QPolygonF({QPointF(0.5, 8), QPointF(5, 3.5), QPointF(5, 6), QPointF(11, 6), QPointF(11, 3.5),
                           QPointF(15.5, 8), QPointF(11, 12.5), QPointF(11, 10), QPointF(5, 10), QPointF(5, 12.5)}));
}

void exclamation(QPainter& p) {
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(220, 0, 0));
  p.drawRect(QRectF(12, 0, 3, 9));
  p.drawRect(QRectF(12, 12, 3, 3));
}

}  // namespace

QList<QPixmap> NodeImages::pixmaps() {
  QPixmap plugAlert = draw([](QPainter& p) {
    plug(p);
    exclamation(p);
  });
  QPixmap arrowAlert = draw([](QPainter& p) {
    doubleArrow(p);
    exclamation(p);
  });
  return {
      draw(hostComputer),
      draw(diamond),
      draw([](QPainter& p) { disc(p, QColor(0, 190, 0)); }),
      draw([](QPainter& p) { disc(p, QColor(250, 220, 0)); }),
      draw([](QPainter& p) { disc(p, QColor(220, 0, 0)); }),
      draw(plug),
      plugAlert,
      plugAlert,
      draw(doubleArrow),
      arrowAlert,
      arrowAlert,
  };
}

QList<QIcon> NodeImages::icons() {
  QList<QIcon> result;
  for (const QPixmap& pixmap : pixmaps()) result.append(QIcon(pixmap));
  return result;
}
