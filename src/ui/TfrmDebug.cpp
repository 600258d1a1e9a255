#include "ui/TfrmDebug.h"

#include <QAction>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QVBoxLayout>

TfrmDebug::TfrmDebug(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::WindowStaysOnTopHint) {
  setObjectName("frmDebug");
  m_flushTimer.setSingleShot(true);
  m_flushTimer.setInterval(0);
  connect(&m_flushTimer, &QTimer::timeout, this, &TfrmDebug::flushPending);
  setWindowTitle(tr("Debug"));
  setFont(QFont("MS Sans Serif", 8));
  move(641, 296);
  resize(478, 261);

  mmDebug = new QPlainTextEdit(this);
  mmDebug->setObjectName("mmDebug");
  mmDebug->setAccessibleName(tr("Debug transcript"));
  mmDebug->setFont(QFont("Courier New", 8));
  mmDebug->setLineWrapMode(QPlainTextEdit::NoWrap);
  // Undo would keep every line the budget drops.
  mmDebug->setUndoRedoEnabled(false);
  mmDebug->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  mmDebug->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  QPalette palette = mmDebug->palette();
  palette.setColor(QPalette::Base, QColor(255, 251, 240));
  mmDebug->setPalette(palette);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(mmDebug);

  popDebug = new QMenu(this);
  popDebug->setObjectName("popDebug");
  DbgClear = popDebug->addAction(tr("Clear"));
  DbgClear->setObjectName("DbgClear");
  connect(DbgClear, &QAction::triggered, this, &TfrmDebug::DbgClearClick);
  mmDebug->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(mmDebug, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& pos) { popDebug->popup(mmDebug->viewport()->mapToGlobal(pos)); });
}

void TfrmDebug::AddDebugLine(const QString& text) {
  QString lines = text;
  lines.replace("\r\n", "\n").replace('\r', '\n');
  for (QString& line : lines.split('\n')) {
    if (line.size() > kMaxLineChars) line = line.left(kMaxLineChars) + tr(" ...[%1 characters]").arg(line.size());
    m_pendingChars += line.size() + 1;
    m_pending.append(std::move(line));
  }
  if (m_pendingChars > kMaxChars)
    flushPending();
  else if (!m_flushTimer.isActive())
    m_flushTimer.start();
}

void TfrmDebug::flushPending() {
  m_flushTimer.stop();
  if (m_pending.isEmpty()) return;
  // New lines that fill the budget by themselves push out all older text;
  // those of them that the budget would drop at once are left out straight away.
  if (m_pendingChars > kMaxChars * 3 / 4) {
    m_droppedLines += shownLineCount();
    mmDebug->clear();
    while (m_pendingChars > kMaxChars * 3 / 4 && m_pending.size() > 1) {
      m_pendingChars -= m_pending.front().size() + 1;
      m_pending.pop_front();
      ++m_droppedLines;
    }
  }
  if (m_droppedLines > 0 && mmDebug->document()->isEmpty()) m_pending.prepend(dropNotice());
  mmDebug->appendPlainText(m_pending.join('\n'));
  m_pending.clear();
  m_pendingChars = 0;
  if (mmDebug->document()->characterCount() > kMaxChars) dropOldestLines();
}

void TfrmDebug::dropOldestLines() {
  // Down to three quarters of the budget, so that dropping happens seldom.
  QTextDocument* doc = mmDebug->document();
  const bool noticeShown = m_droppedLines > 0;
  const QTextBlock keepFrom = doc->findBlock(doc->characterCount() - kMaxChars * 3 / 4);
  const QTextBlock dropFrom = noticeShown ? doc->firstBlock().next() : doc->firstBlock();
  if (!keepFrom.isValid() || keepFrom.blockNumber() <= dropFrom.blockNumber()) return;
  m_droppedLines += keepFrom.blockNumber() - dropFrom.blockNumber();
  QTextCursor cursor(doc);
  cursor.setPosition(dropFrom.position());
  cursor.setPosition(keepFrom.position(), QTextCursor::KeepAnchor);
  cursor.removeSelectedText();
  // One line tells the drop, first, and is rewritten at each drop.
  cursor.setPosition(0);
  if (noticeShown) {
    cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    cursor.insertText(dropNotice());
  } else {
    cursor.insertText(dropNotice());
    cursor.insertBlock();
  }
}

qint64 TfrmDebug::shownLineCount() const {
  const QTextDocument* doc = mmDebug->document();
  if (doc->isEmpty()) return 0;
  return doc->blockCount() - (m_droppedLines > 0 ? 1 : 0);
}

QString TfrmDebug::dropNotice() const {
  return m_droppedLines == 1 ? tr("[1 older line dropped]") : tr("[%1 older lines dropped]").arg(m_droppedLines);
}

void TfrmDebug::DbgClearClick() {
  m_flushTimer.stop();
  m_pending.clear();
  m_pendingChars = 0;
  m_droppedLines = 0;
  mmDebug->clear();
}
