#include "Transcript.h"

bool Transcript::open(const QString& path) {
  m_file.setFileName(path);
  return m_file.open(QIODevice::WriteOnly | QIODevice::Append);
}

void Transcript::command(const QByteArray& line) { append("CMD " + line); }

void Transcript::negotiation(int verb, int option) {
  static const char* const kVerbs[] = {"WILL", "WONT", "DO", "DONT"};
  append(QByteArray("NEG ") + kVerbs[verb - 251] + " " + QByteArray::number(option));
}

void Transcript::subnegotiation(const QByteArray& data) {
  if (data.isEmpty()) {
    append("SB");
    return;
  }
  QByteArray text = "SB " + QByteArray::number(static_cast<unsigned char>(data[0]));
  if (data.size() > 1) text += " " + data.mid(1).toHex(' ').toUpper();
  append(text);
}

void Transcript::append(const QByteArray& text) {
  if (!m_file.isOpen()) return;
  m_file.write(text + "\n");
  m_file.flush();
}
