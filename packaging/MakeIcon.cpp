// korv_make_icon OUTDIR: draws the program's icon for the hicolor theme,
// OUTDIR/<n>x<n>/apps/korvanedrestolin.png at each usual size: the host with
// a tree of three objects in the window's status colours (started,
// starting, stopped). Drawn from shapes at each size so every size is sharp.
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <cstdio>

namespace {

QImage draw(int size) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / 256.0, size / 256.0);  // drawn on a 256 x 256 grid

  QLinearGradient background(0, 16, 0, 240);
  background.setColorAt(0, QColor(0x2b, 0x4f, 0x78));
  background.setColorAt(1, QColor(0x14, 0x2a, 0x44));
  p.setPen(Qt::NoPen);
  p.setBrush(background);
  p.drawRoundedRect(QRectF(16, 16, 224, 224), 40, 40);

  p.setPen(QPen(QColor(0xc9, 0xd6, 0xe3), 10, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(76, 92), QPointF(76, 196));
  for (int y : {120, 158, 196}) p.drawLine(QPointF(76, y), QPointF(150, y));

  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0xe6, 0xed, 0xf5));
  p.drawRoundedRect(QRectF(40, 40, 72, 52), 8, 8);
  p.setBrush(QColor(0x2b, 0x4f, 0x78));
  p.drawRect(QRectF(50, 50, 52, 32));

  const QColor statuses[] = {QColor(0x3c, 0xb3, 0x71), QColor(0xf0, 0xb4, 0x29), QColor(0xe0, 0x48, 0x3e)};
  int y = 120;
  for (const QColor& colour : statuses) {
    p.setBrush(colour);
    p.drawEllipse(QPointF(172, y), 17, 17);
    y += 38;
  }
  return image;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: korv_make_icon OUTDIR\n");
    return 2;
  }
  for (int size : {48, 64, 128, 256}) {
    const QString folder = QString("%1/%2x%2/apps").arg(QString::fromLocal8Bit(argv[1])).arg(size);
    if (!QDir().mkpath(folder) || !draw(size).save(folder + "/korvanedrestolin.png", "PNG")) {
      std::fprintf(stderr, "korv_make_icon: cannot write %s\n", qPrintable(folder));
      return 1;
    }
  }
  return 0;
}
