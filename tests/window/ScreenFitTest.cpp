// The main window's first size on a screen smaller than its design size.
#include <gtest/gtest.h>

#include <QScreen>
#include <QTemporaryDir>

#include "support/EventLoop.h"
#include "ui/TfrmMain.h"

namespace {

TEST(ScreenFit, FirstWindowFitsTheScreenAtScaleTwo) {
  QTemporaryDir dir;
  TfrmMain win(dir.filePath("Korvanedrestolin.INI"));
  win.show();
  ASSERT_TRUE(korvtest::waitUntil([&] { return win.isVisible(); }));
  const QRect area = win.screen()->availableGeometry();
  ASSERT_EQ(area.size(), QSize(640, 400)) << "the screen the test means to have";
  EXPECT_TRUE(area.contains(win.frameGeometry())) << win.frameGeometry().width() << "x" << win.frameGeometry().height();
}

}  // namespace
