// The program's application object: an exception that escapes an event
// handler is shown to the operator and the program keeps running.
#include <gtest/gtest.h>

#include <QMessageBox>
#include <QTimer>

#include "ncp/TNCPTelnet.h"
#include "support/EventLoop.h"
#include "ui/KorvApplication.h"

using korvtest::waitUntil;

namespace {

KorvApplication* app() { return static_cast<KorvApplication*>(QCoreApplication::instance()); }

TEST(KorvApplication, SocketErrorFromASendInsideAnEventIsShownAndTheProgramGoesOn) {
  QStringList shown;
  QTimer answer;
  QObject::connect(&answer, &QTimer::timeout, [&] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      shown << box->text();
      box->accept();
    }
  });
  answer.start(5);

  // The session is not connected: the send of GetPathmon throws inside the
  // timer's event, far from any caller that could catch it.
  TNCPTelnet session;
  const int before = app()->caughtCount();
  QTimer::singleShot(0, &session, [&] { session.GetPathmon(); });
  ASSERT_TRUE(waitUntil([&] { return !shown.isEmpty(); }));
  EXPECT_EQ(app()->caughtCount(), before + 1);
  EXPECT_FALSE(shown.first().isEmpty());

  bool later = false;
  QTimer::singleShot(0, [&] { later = true; });
  EXPECT_TRUE(waitUntil([&] { return later; })) << "events are still dispatched";
  EXPECT_EQ(shown.size(), 1);
}

}  // namespace
