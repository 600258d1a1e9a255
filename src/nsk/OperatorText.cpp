#include "nsk/OperatorText.h"

#include <algorithm>

#include "nsk/SecretText.h"
#include "nsk/TNSKTelnet.h"

namespace {

[[noreturn]] void refuse(const char* what) {
  throw EUnsafeCommandText(std::string(what) + " holds a character outside Latin-1");
}

}  // namespace

std::string RequireLatin1Text(const QString& text, const char* what) {
  const bool outside = std::any_of(text.begin(), text.end(), [](QChar c) { return c.unicode() > 0xFF; });
  if (outside) refuse(what);
  return text.toLatin1().toStdString();
}

std::string Latin1FromUtf8(const std::string& utf8, const char* what) {
  std::string latin1;
  latin1.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size(); ++i) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    if (lead < 0x80) {
      latin1 += static_cast<char>(lead);
      continue;
    }
    // U+0080 to U+00FF are the two-byte forms C2 80 to C3 BF.
    const auto next = i + 1 < utf8.size() ? static_cast<unsigned char>(utf8[i + 1]) : 0;
    if ((lead != 0xC2 && lead != 0xC3) || (next & 0xC0) != 0x80) {
      SecretText::wipeString(latin1);
      refuse(what);
    }
    latin1 += static_cast<char>(((lead & 0x03) << 6) | (next & 0x3F));
    ++i;
  }
  return latin1;
}
