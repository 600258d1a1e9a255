#include "ui/ReadableText.h"

#include <QLabel>

QLabel* makeReadableText(QWidget* parent, const char* objectName, const QString& accessibleName) {
  auto* label = new QLabel(parent);
  label->setObjectName(objectName);
  label->setTextFormat(Qt::PlainText);
  label->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  label->setAccessibleName(accessibleName);
  return label;
}

void setReadableText(QLabel* label, const QString& text) {
  label->setText(text);
  label->setAccessibleDescription(text);
}
