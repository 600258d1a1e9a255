#include "ncpctl/CtlApplication.h"

bool CtlApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QCoreApplication::notify(receiver, event);
  } catch (...) {
    if (OnEscapedException) OnEscapedException(std::current_exception());
    return true;
  }
}
