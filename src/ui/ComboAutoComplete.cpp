#include "ui/ComboAutoComplete.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>

ComboAutoComplete::ComboAutoComplete(QComboBox* combo) : QObject(combo), m_combo(combo) {
  combo->setCompleter(nullptr);
  combo->lineEdit()->installEventFilter(this);
  connect(combo->lineEdit(), &QLineEdit::textEdited, this, &ComboAutoComplete::textEdited);
}

bool ComboAutoComplete::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    int key = static_cast<QKeyEvent*>(event)->key();
    m_deleting = key == Qt::Key_Backspace || key == Qt::Key_Delete;
  }
  return QObject::eventFilter(watched, event);
}

void ComboAutoComplete::textEdited(const QString& text) {
  QLineEdit* edit = m_combo->lineEdit();
  if (m_deleting || text.isEmpty() || edit->cursorPosition() != text.size()) return;
  for (int i = 0; i < m_combo->count(); ++i) {
    QString entry = m_combo->itemText(i);
    if (!entry.startsWith(text, Qt::CaseInsensitive)) continue;
    m_combo->setCurrentIndex(i);
    edit->setText(text + entry.mid(text.size()));
    edit->setSelection(int(text.size()), int(entry.size() - text.size()));
    return;
  }
}
