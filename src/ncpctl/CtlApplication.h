// CtlApplication: ncpctl's QCoreApplication. No exception is meant to cross
// Qt's event dispatch: the run catches its own at the start of each of its
// events and the streams at the start of each socket event. One that gets
// here all the same is written to standard error as a last resort, and the
// run ends with exit code 2. Created once by main().
#pragma once

#include <QCoreApplication>

class CtlApplication : public QCoreApplication {
 public:
  CtlApplication(int& argc, char** argv) : QCoreApplication(argc, argv) {}

  bool notify(QObject* receiver, QEvent* event) override;
};
