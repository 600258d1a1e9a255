// KorvApplication: the program's application object. An exception that
// escapes an event handler (for example an ESocketException from a send
// inside a session event) is caught where Qt dispatches the event, shown to
// the operator in a message box, and the program keeps running. An exception
// caught while such a box is open goes to standard error instead of a second
// box on top of the first.
//
// Created once by main(); UI thread only.
#pragma once

#include <QApplication>

class KorvApplication : public QApplication {
  Q_OBJECT
 public:
  KorvApplication(int& argc, char** argv);

  bool notify(QObject* receiver, QEvent* event) override;

  // Exceptions caught so far.
  int caughtCount() const { return m_caught; }

 private:
  void report(const QString& what);

  int m_caught = 0;
  bool m_reporting = false;
};
