// GoogleTest main for the window on a small screen at a large scale factor:
// a 1280x800 screen at scale 2 leaves 640x400 for the program.
#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" KORV_TEST_DATA_DIR "/offscreen-1280x800.json");
  qputenv("QT_SCALE_FACTOR", "2");
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
