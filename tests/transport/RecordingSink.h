// RecordingSink: a TelnetParserSink that writes every event into one log, in
// order, so a test compares what a parser did with what it should have done.
#pragma once

#include <string>
#include <vector>

#include "transport/TelnetParser.h"

// Byte helpers for readable expectations.
std::string bytes(std::initializer_list<int> values);
std::string hex(const std::string& data);

class RecordingSink : public TelnetParserSink {
 public:
  // "data:<hex>", "send:<hex>", "eor", "loc", "term", "echo:on"/"echo:off"/"echo:-"
  std::vector<std::string> events;
  std::string location = "TNCNX";
  std::string termType = "VT100";
  std::string received;  // all data bytes, joined

  std::string sent() const;  // all bytes sent, joined
  int deliveries() const;

  void telnetData(const char* block, int len) override;
  void telnetSend(const char* bytes, int len) override;
  void telnetEndOfRecord() override;
  std::string telnetSendLocation() override;
  std::string telnetTerminalType() override;
  void telnetLocalEcho(std::optional<bool> newLocalEcho) override;

 private:
  std::string m_sent;
};
