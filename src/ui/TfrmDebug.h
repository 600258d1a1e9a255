// TfrmDebug: the debug tool window, a running transcript of diagnostic lines
// (session debug texts, state events without a tree change, command traces).
// It only appends and clears; what goes in is the main window's choice.
// Lines arrive whether the window is shown or hidden; its close box only
// hides it. Created once by the main window; owns its controls.
#pragma once

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

  QPlainTextEdit* mmDebug;
  QMenu* popDebug;
  QAction* DbgClear;
};
