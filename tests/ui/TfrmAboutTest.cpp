// The about box and the JPEG decoding of its picture.
#include <gtest/gtest.h>

#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "ui/JpegDecoder.h"
#include "ui/TfrmAbout.h"

namespace {

QByteArray carriedPicture() {
  QFile file(TfrmAbout::kPictureResource);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(JpegDecoder, CarriedPictureDecodesToItsColourPicture) {
  QString error;
  QImage image = JpegDecoder::decode(carriedPicture(), &error);
  ASSERT_FALSE(image.isNull()) << error.toStdString();
  EXPECT_EQ(image.size(), QSize(117, 224));
  // A colour picture, not a grey one.
  bool coloured = false;
  for (int y = 0; y < image.height() && !coloured; y += 4)
    for (int x = 0; x < image.width() && !coloured; x += 4) {
      QColor c = image.pixelColor(x, y);
      coloured = std::abs(c.red() - c.blue()) > 40;
    }
  EXPECT_TRUE(coloured);
}

TEST(JpegDecoder, CorruptOrTruncatedDataFailsCleanly) {
  const QByteArray good = carriedPicture();
  ASSERT_GT(good.size(), 1000);
  QString error;
  EXPECT_TRUE(JpegDecoder::decode(QByteArray(), &error).isNull());
  EXPECT_FALSE(error.isEmpty());

  error.clear();
  EXPECT_TRUE(JpegDecoder::decode("not a jpeg at all", &error).isNull());
  EXPECT_FALSE(error.isEmpty());

  for (qsizetype cut = 1; cut < good.size(); cut += 97) {
    error.clear();
    EXPECT_TRUE(JpegDecoder::decode(good.left(cut), &error).isNull()) << "cut at " << cut;
    EXPECT_FALSE(error.isEmpty()) << "cut at " << cut;
  }

  // Frame header claiming a gigantic picture.
  QByteArray huge = good;
  qsizetype sof = huge.indexOf("\xff\xc0");
  ASSERT_GT(sof, 0);
  huge[sof + 5] = char(0xff);  // height
  huge[sof + 6] = char(0xff);
  huge[sof + 7] = char(0xff);  // width
  huge[sof + 8] = char(0xff);
  error.clear();
  EXPECT_TRUE(JpegDecoder::decode(huge, &error).isNull());
  EXPECT_FALSE(error.isEmpty());
}

TEST(TfrmAbout, ShowsPictureNameAndVersionAndClosesWithOk) {
  TfrmAbout about;
  EXPECT_EQ(about.windowTitle(), "About");
  EXPECT_EQ(about.Image1->pixmap().size(), QSize(117, 224));
  EXPECT_EQ(about.Memo1->toPlainText(), "Korvanedrestolin\n\nVersion 1.0");
  EXPECT_TRUE(about.Memo1->isReadOnly());

  QTimer::singleShot(0, &about, [&] {
    EXPECT_EQ(about.focusWidget(), about.btnOk);
    EXPECT_TRUE(about.grab().save(KORV_UI_SCREENSHOT_DIR "/about-box.png"));
    QTest::mouseClick(about.btnOk, Qt::LeftButton);
  });
  QTimer::singleShot(20000, &about, [&] { about.reject(); });
  EXPECT_EQ(about.ShowModal(), 1);
  EXPECT_FALSE(about.isVisible());
}

}  // namespace
