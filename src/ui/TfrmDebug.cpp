#include "ui/TfrmDebug.h"

#include <QAction>
#include <QMenu>
#include <QPlainTextEdit>
#include <QVBoxLayout>

TfrmDebug::TfrmDebug(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::WindowStaysOnTopHint) {
  setObjectName("frmDebug");
  setWindowTitle("Debug");
  setFont(QFont("MS Sans Serif", 8));
  move(641, 296);
  resize(478, 261);

  mmDebug = new QPlainTextEdit(this);
  mmDebug->setObjectName("mmDebug");
  mmDebug->setAccessibleName("Debug transcript");
  mmDebug->setFont(QFont("Courier New", 8));
  mmDebug->setLineWrapMode(QPlainTextEdit::NoWrap);
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
  DbgClear = popDebug->addAction("Clear");
  DbgClear->setObjectName("DbgClear");
  connect(DbgClear, &QAction::triggered, this, &TfrmDebug::DbgClearClick);
  mmDebug->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(mmDebug, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& pos) { popDebug->popup(mmDebug->viewport()->mapToGlobal(pos)); });
}

void TfrmDebug::AddDebugLine(const QString& text) {
  QString lines = text;
  lines.replace("\r\n", "\n").replace('\r', '\n');
  mmDebug->appendPlainText(lines);
}

void TfrmDebug::DbgClearClick() { mmDebug->clear(); }
