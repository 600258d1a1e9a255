#include "nsk/SecretText.h"

SecretText& SecretText::operator=(SecretText&& other) noexcept {
  if (this != &other) {
    wipe();
    m_text = std::move(other.m_text);
    other.wipe();
  }
  return *this;
}

void SecretText::wipeBytes(void* data, size_t size) {
  // Through a volatile pointer, so the stores are not dropped as dead.
  volatile auto* p = static_cast<volatile unsigned char*>(data);
  for (size_t i = 0; i < size; ++i) p[i] = 0;
}

void SecretText::wipeString(std::string& text) {
  text.resize(text.capacity());
  wipeBytes(text.data(), text.size());
  text.clear();
}
