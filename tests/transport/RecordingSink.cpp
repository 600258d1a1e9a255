#include "RecordingSink.h"

#include <cstdio>

std::string bytes(std::initializer_list<int> values) {
  std::string out;
  for (int v : values) out += static_cast<char>(v);
  return out;
}

std::string hex(const std::string& data) {
  std::string out;
  char two[4];
  for (unsigned char c : data) {
    std::snprintf(two, sizeof two, "%02X", c);
    if (!out.empty()) out += ' ';
    out += two;
  }
  return out;
}

std::string RecordingSink::sent() const { return m_sent; }

int RecordingSink::deliveries() const {
  int n = 0;
  for (const std::string& e : events) n += e.rfind("data:", 0) == 0 ? 1 : 0;
  return n;
}

void RecordingSink::telnetData(const char* block, int len) {
  // The block carries a zero byte after the data.
  events.push_back(block[len] == '\0' ? "data:" + hex(std::string(block, len)) : "data:unterminated");
  received.append(block, static_cast<size_t>(len));
}

void RecordingSink::telnetSend(const char* data, int len) {
  events.push_back("send:" + hex(std::string(data, len)));
  m_sent.append(data, static_cast<size_t>(len));
}

void RecordingSink::telnetEndOfRecord() { events.push_back("eor"); }

std::string RecordingSink::telnetSendLocation() {
  events.push_back("loc");
  return location;
}

std::string RecordingSink::telnetTerminalType() {
  events.push_back("term");
  return termType;
}

void RecordingSink::telnetLocalEcho(std::optional<bool> newLocalEcho) {
  events.push_back(!newLocalEcho ? "echo:-" : *newLocalEcho ? "echo:on" : "echo:off");
}
