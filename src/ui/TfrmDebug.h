// TfrmDebug: the debug tool window, a running transcript of diagnostic lines
// (session debug texts, state events without a tree change, command traces).
// It only appends and clears; what goes in is the main window's choice.
// A host that floods a traced command would grow it without end, so it keeps
// the newest kMaxChars characters of text (older lines are dropped, and one
// first line, rewritten at each drop, tells how many) and shows at most
// kMaxLineChars of any one line. Lines go into the transcript in
// batches at the next pass of the event loop (one line at a time costs tens
// of microseconds each, which a flood would feel); flushPending puts them in
// at once.
// Lines arrive whether the window is shown or hidden; its close box only
// hides it. Created once by the main window; owns its controls.
#pragma once

#include <QStringList>
#include <QTimer>
#include <QWidget>

class QAction;
class QMenu;
class QPlainTextEdit;

class TfrmDebug : public QWidget {
  Q_OBJECT
 public:
  explicit TfrmDebug(QWidget* parent = nullptr);

  // Appends the text as new last line(s); CR LF, CR and LF all break lines.
  void AddDebugLine(const QString& text);
  void DbgClearClick();
  void flushPending();

  static constexpr int kMaxChars = 4000000;
  static constexpr int kMaxLineChars = 4096;

  QPlainTextEdit* mmDebug;
  QMenu* popDebug;
  QAction* DbgClear;

 private:
  void dropOldestLines();
  // Lines in the transcript, the drop notice not counted.
  qint64 shownLineCount() const;
  QString dropNotice() const;

  QStringList m_pending;
  qsizetype m_pendingChars = 0;
  // Dropped since the last clear; while not 0 the first line is the notice.
  qint64 m_droppedLines = 0;
  QTimer m_flushTimer;
};
