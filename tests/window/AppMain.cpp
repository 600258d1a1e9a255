// GoogleTest main that runs the tests inside the program's own application
// object (KorvApplication), offscreen, on a screen large enough for the main
// window's design size.
#include <gtest/gtest.h>

#include "ui/KorvApplication.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" KORV_OFFSCREEN_CONFIG);
  KorvApplication app(argc, argv);
  KorvApplication::setApplicationName("Korvanedrestolin");
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
