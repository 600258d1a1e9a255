// The debug window's transcript.
#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextDocument>

#include "ui/TfrmDebug.h"

namespace {

TEST(TfrmDebug, LinesArriveWhileHiddenAndBreaksMakeSeveralLines) {
  TfrmDebug debug;
  debug.AddDebugLine("TNCPTelnet EvNCPLogin->NCP Logged On");
  debug.AddDebugLine("two\r\nlines");
  debug.AddDebugLine("");
  debug.AddDebugLine("cr\ronly and lf\nonly");
  debug.AddDebugLine("  kept as is  ");
  QCoreApplication::processEvents();
  EXPECT_FALSE(debug.isVisible());
  EXPECT_EQ(debug.mmDebug->toPlainText(),
            "TNCPTelnet EvNCPLogin->NCP Logged On\ntwo\nlines\n\ncr\nonly and lf\nonly\n  kept as is  ");

  debug.show();
  EXPECT_EQ(debug.mmDebug->document()->blockCount(), 8);
  EXPECT_TRUE(debug.grab().save(KORV_UI_SCREENSHOT_DIR "/debug-window.png"));
}

TEST(TfrmDebug, ClearFromTheContextMenuStartsAFreshTranscript) {
  TfrmDebug debug;
  for (int i = 0; i < 3; ++i) debug.AddDebugLine(QString("line %1").arg(i));
  QCoreApplication::processEvents();
  ASSERT_EQ(debug.mmDebug->document()->blockCount(), 3);
  debug.AddDebugLine("still waiting");
  ASSERT_TRUE(debug.popDebug->actions().contains(debug.DbgClear));
  EXPECT_EQ(debug.DbgClear->text(), "Clear");
  debug.DbgClear->trigger();
  QCoreApplication::processEvents();
  EXPECT_EQ(debug.mmDebug->toPlainText(), "");
  debug.AddDebugLine("after");
  QCoreApplication::processEvents();
  EXPECT_EQ(debug.mmDebug->toPlainText(), "after");
  EXPECT_EQ(debug.mmDebug->document()->blockCount(), 1);
}

TEST(TfrmDebug, LongTranscriptKeepsEveryLine) {
  TfrmDebug debug;
  debug.show();
  const int lines = 50000;
  for (int i = 0; i < lines; ++i) debug.AddDebugLine(QString("StatusLine L%1 (Started)").arg(i));
  QCoreApplication::processEvents();
  EXPECT_EQ(debug.mmDebug->document()->blockCount(), lines);
  EXPECT_EQ(debug.mmDebug->document()->lastBlock().text(), QString("StatusLine L%1 (Started)").arg(lines - 1));
}

// A host flooding a traced command must not grow the transcript without end:
// the oldest lines go, whole, the newest stay, and one first line tells how
// many went.
TEST(TfrmDebug, FloodKeepsTheNewestLinesWithinItsBudget) {
  // Lines put in as they come (the event loop runs between chunks), and all
  // in one go (the loop is busy elsewhere).
  for (const int flushEvery : {1000, 0}) {
    SCOPED_TRACE(flushEvery);
    TfrmDebug debug;
    const QString filler(90, 'x');
    const int lines = TfrmDebug::kMaxChars / 90 * 2;
    for (int i = 0; i < lines; ++i) {
      debug.AddDebugLine(QString("%1 ").arg(i, 7, 10, QChar('0')) + filler);
      if (flushEvery > 0 && i % flushEvery == 0) QCoreApplication::processEvents();
    }
    debug.flushPending();
    QTextDocument* doc = debug.mmDebug->document();
    EXPECT_LE(doc->characterCount(), TfrmDebug::kMaxChars);
    EXPECT_GE(doc->characterCount(), TfrmDebug::kMaxChars / 2);
    EXPECT_EQ(doc->lastBlock().text(), QString("%1 ").arg(lines - 1, 7, 10, QChar('0')) + filler);
    const QString oldest = doc->firstBlock().next().text();
    ASSERT_EQ(oldest.size(), 8 + filler.size()) << "a line cut in the middle";
    const int firstKept = oldest.left(7).toInt();
    EXPECT_GT(firstKept, 0);
    EXPECT_EQ(doc->firstBlock().text(), QString("[%1 older lines dropped]").arg(firstKept));
    EXPECT_EQ(doc->blockCount(), lines - firstKept + 1) << "a gap, or more than the one line telling the drop";
    EXPECT_FALSE(doc->isUndoAvailable()) << "dropped lines kept for undo";
  }
}

TEST(TfrmDebug, OverlongLineIsShownCutWithItsLength) {
  TfrmDebug debug;
  debug.AddDebugLine("EvStatusLine->" + QString(100000, 'y') + "\r\nnext");
  debug.flushPending();
  QTextDocument* doc = debug.mmDebug->document();
  ASSERT_EQ(doc->blockCount(), 2);
  const QString shown = doc->firstBlock().text();
  EXPECT_EQ(shown, "EvStatusLine->" + QString(TfrmDebug::kMaxLineChars - 14, 'y') + " ...[100014 characters]");
  EXPECT_EQ(doc->lastBlock().text(), "next");
}

}  // namespace
