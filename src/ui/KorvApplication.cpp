#include "ui/KorvApplication.h"

#include <exception>

KorvApplication::KorvApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool KorvApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& e) {
    qWarning("Exception from an event handler: %s", e.what());
  } catch (...) {
    qWarning("Unknown exception from an event handler");
  }
  ++m_caught;
  return false;
}
