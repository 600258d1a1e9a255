#include "transport/TlsCertificate.h"

#include <cctype>

std::string TlsCertificate::colonFingerprint() const {
  std::string text;
  for (size_t i = 0; i < sha256.size(); ++i) {
    if (i > 0 && i % 2 == 0) text += ':';
    text += static_cast<char>(std::toupper(static_cast<unsigned char>(sha256[i])));
  }
  return text;
}

std::optional<std::string> normalizedPin(const std::string& text) {
  const std::string prefix = "sha256:";
  if (text.size() <= prefix.size()) return std::nullopt;
  for (size_t i = 0; i < prefix.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) return std::nullopt;
  }
  std::string hex;
  for (size_t i = prefix.size(); i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c == ':') continue;
    if (!std::isxdigit(c)) return std::nullopt;
    hex += static_cast<char>(std::tolower(c));
  }
  if (hex.size() != 64) return std::nullopt;
  return prefix + hex;
}
