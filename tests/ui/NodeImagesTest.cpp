// The tree's node pictures: the right kinds at the right indexes.
#include <gtest/gtest.h>

#include <QImage>

#include "ui/NodeImages.h"

namespace {

QColor centre(const QPixmap& p) { return p.toImage().pixelColor(8, 8); }

bool hasRed(const QImage& img, int fromX) {
  for (int y = 0; y < img.height(); ++y)
    for (int x = fromX; x < img.width(); ++x) {
      QColor c = img.pixelColor(x, y);
      if (c.alpha() > 200 && c.red() > 180 && c.green() < 60 && c.blue() < 60) return true;
    }
  return false;
}

TEST(NodeImages, ElevenPicturesOfTheirKinds) {
  QList<QPixmap> p = NodeImages::pixmaps();
  ASSERT_EQ(p.size(), NodeImages::kCount);
  for (const QPixmap& pixmap : p) EXPECT_EQ(pixmap.size(), QSize(16, 16));
  EXPECT_EQ(NodeImages::icons().size(), NodeImages::kCount);

  QColor diamond = centre(p[1]);
  EXPECT_TRUE(diamond.blue() > 200 && diamond.green() > 150 && diamond.red() < 180);
  QColor green = centre(p[2]);
  EXPECT_TRUE(green.green() > 150 && green.red() < 60 && green.blue() < 60);
  QColor yellow = centre(p[3]);
  EXPECT_TRUE(yellow.red() > 200 && yellow.green() > 180 && yellow.blue() < 60);
  QColor red = centre(p[4]);
  EXPECT_TRUE(red.red() > 180 && red.green() < 60 && red.blue() < 60);
  QColor arrow = centre(p[8]);
  EXPECT_TRUE(arrow.blue() > 180 && arrow.red() < 60);
}

TEST(NodeImages, AlertPicturesAddARedMarkToTheirBase) {
  QList<QPixmap> p = NodeImages::pixmaps();
  ASSERT_EQ(p.size(), NodeImages::kCount);
  EXPECT_EQ(p[6].toImage(), p[7].toImage());
  EXPECT_EQ(p[9].toImage(), p[10].toImage());
  EXPECT_FALSE(hasRed(p[5].toImage(), 10));
  EXPECT_TRUE(hasRed(p[6].toImage(), 10));
  EXPECT_FALSE(hasRed(p[8].toImage(), 0));
  EXPECT_TRUE(hasRed(p[9].toImage(), 10));
  // Every other pair of indexes shows different pictures.
  for (int i = 0; i < p.size(); ++i)
    for (int j = i + 1; j < p.size(); ++j) {
      if ((i == 6 && j == 7) || (i == 9 && j == 10)) continue;
      EXPECT_NE(p[i].toImage(), p[j].toImage()) << i << " vs " << j;
    }
}

}  // namespace
