// ComboAutoComplete: inline completion for an editable combo box, as the
// login dialog's boxes behave. When the operator types, the first entry that
// starts with the text (letter case ignored) becomes the box's selected entry
// and the rest of its name is appended highlighted, while the typed
// characters stay as typed. Deleting characters completes nothing; a text
// that begins no entry selects nothing new. Child of the combo box it serves.
#pragma once

#include <QObject>

class QComboBox;

class ComboAutoComplete : public QObject {
  Q_OBJECT
 public:
  // Replaces the box's own completer.
  explicit ComboAutoComplete(QComboBox* combo);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void textEdited(const QString& text);

  QComboBox* m_combo;
  bool m_deleting = false;
};
