// SecretText: a password held in memory only as long as needed. Its bytes are
// overwritten when it is destroyed or wiped, so a password does not linger in
// freed memory; the string it is made from is wiped too (a short string keeps
// its bytes in place when moved from). Not copyable; moves leave the source
// empty. Used by ncpctl and the main window for the passwords they read.
#pragma once

#include <string>

class SecretText {
 public:
  SecretText() = default;
  explicit SecretText(std::string&& text) : m_text(std::move(text)) { wipeString(text); }
  ~SecretText() { wipe(); }
  SecretText(const SecretText&) = delete;
  SecretText& operator=(const SecretText&) = delete;
  SecretText(SecretText&& other) noexcept : m_text(std::move(other.m_text)) { other.wipe(); }
  SecretText& operator=(SecretText&& other) noexcept;

  const std::string& text() const { return m_text; }
  bool empty() const { return m_text.empty(); }
  void wipe() { wipeString(m_text); }

  // Overwrites every byte of text (its whole capacity), then empties it.
  static void wipeString(std::string& text);
  static void wipeBytes(void* data, size_t size);

 private:
  std::string m_text;
};
