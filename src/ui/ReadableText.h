// A dialog's block of plain text that the operator can select and copy with
// the mouse or the keyboard (a fingerprint, a command) and that a screen
// reader reads out: the text is also the label's accessible description.
// Used by the trust dialogs.
#pragma once

#include <QString>

class QLabel;
class QWidget;

QLabel* makeReadableText(QWidget* parent, const char* objectName, const QString& accessibleName);
void setReadableText(QLabel* label, const QString& text);
