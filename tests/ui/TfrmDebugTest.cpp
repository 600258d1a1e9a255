// The debug window's transcript.
#include "ui/TfrmDebug.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QTextBlock>
#include <QPlainTextEdit>

namespace {

TEST(TfrmDebug, LinesArriveWhileHiddenAndBreaksMakeSeveralLines) {
  TfrmDebug debug;
  debug.AddDebugLine("TNCPTelnet EvNCPLogin->NCP Logged On");
  debug.AddDebugLine("two\r\nlines");
  debug.AddDebugLine("");
  debug.AddDebugLine("cr\ronly and lf\nonly");
  debug.AddDebugLine("  kept as is  ");
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
  ASSERT_TRUE(debug.popDebug->actions().contains(debug.DbgClear));
  EXPECT_EQ(debug.DbgClear->text(), "Clear");
  debug.DbgClear->trigger();
  EXPECT_EQ(debug.mmDebug->toPlainText(), "");
  debug.AddDebugLine("after");
  EXPECT_EQ(debug.mmDebug->toPlainText(), "after");
  EXPECT_EQ(debug.mmDebug->document()->blockCount(), 1);
}

TEST(TfrmDebug, LongTranscriptKeepsEveryLine) {
  TfrmDebug debug;
  debug.show();
  const int lines = 50000;
  for (int i = 0; i < lines; ++i) debug.AddDebugLine(QString("StatusLine L%1 (Started)").arg(i));
  EXPECT_EQ(debug.mmDebug->document()->blockCount(), lines);
  EXPECT_EQ(debug.mmDebug->document()->lastBlock().text(), QString("StatusLine L%1 (Started)").arg(lines - 1));
}

}  // namespace
