// KorvApplication: the program's application object. No exception is meant
// to cross Qt's event dispatch: each operator action and each socket event
// catches its own where it starts and turns it into the message or error code
// it has. One that gets here all the same is written to the log as a last
// resort and counted, and the program keeps running.
//
// Created once by main(); UI thread only.
#pragma once

#include <QApplication>

class KorvApplication : public QApplication {
  Q_OBJECT
 public:
  KorvApplication(int& argc, char** argv);

  bool notify(QObject* receiver, QEvent* event) override;

  // Exceptions caught here so far.
  int caughtCount() const { return m_caught; }

 private:
  int m_caught = 0;
};
