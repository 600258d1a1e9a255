#include "nsk/OperatorText.h"

#include <algorithm>

#include "nsk/TNSKTelnet.h"

std::string RequireLatin1Text(const QString& text, const char* what) {
  const bool outside = std::any_of(text.begin(), text.end(), [](QChar c) { return c.unicode() > 0xFF; });
  if (outside) throw EUnsafeCommandText(std::string(what) + " holds a character outside Latin-1");
  return text.toLatin1().toStdString();
}
