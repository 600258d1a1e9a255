// CtlApplication: ncpctl's QCoreApplication. An exception that escapes an
// event handler (a socket error raised while a command is sent from inside a
// socket event, for instance) must not cross Qt's event dispatch: it is caught
// here and handed to OnEscapedException, which ends the run with a clear exit
// code. Created once by main().
#pragma once

#include <QCoreApplication>
#include <exception>
#include <functional>

class CtlApplication : public QCoreApplication {
 public:
  CtlApplication(int& argc, char** argv) : QCoreApplication(argc, argv) {}

  std::function<void(std::exception_ptr)> OnEscapedException;

  bool notify(QObject* receiver, QEvent* event) override;
};
