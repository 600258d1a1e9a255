#include "ui/KorvApplication.h"

#include <QMessageBox>
#include <exception>

KorvApplication::KorvApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool KorvApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& e) {
    report(QString::fromLocal8Bit(e.what()));
  } catch (...) {
    report("Unknown exception");
  }
  return false;
}

void KorvApplication::report(const QString& what) {
  ++m_caught;
  if (m_reporting) {
    qWarning("%s", qPrintable(what));
    return;
  }
  m_reporting = true;
  QMessageBox::critical(activeWindow(), applicationName(), what);
  m_reporting = false;
}
