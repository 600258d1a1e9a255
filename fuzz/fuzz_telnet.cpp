// The telnet parser with negotiation, fed arbitrary bytes in arbitrary chunks.
// Checks what must hold for any host: a delivery never exceeds the buffer,
// every answer is a whole telnet sequence, and what is sent stays bounded by
// what was received.
#include <cstdlib>
#include <string_view>

#include "ChunkCutter.h"
#include "transport/TelnetParser.h"

namespace {

class CheckingSink : public TelnetParserSink {
 public:
  size_t sent = 0;
  void telnetData(const char* block, int len) override {
    if (len <= 0 || len > TelnetParser::kBufferSize || block[len] != '\0') std::abort();
  }
  void telnetSend(const char* bytes, int len) override {
    if (len < 3 || static_cast<uint8_t>(bytes[0]) != telnet::IAC) std::abort();
    sent += static_cast<size_t>(len);
  }
  void telnetEndOfRecord() override {}
  std::string telnetSendLocation() override { return "TNCNX"; }
  std::string telnetTerminalType() override { return "VT100"; }
  void telnetLocalEcho(std::optional<bool>) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CheckingSink sink;
  TelnetParser parser(sink);
  ChunkCutter cutter(data, size);
  std::string_view chunk;
  size_t received = 0;
  while (cutter.next(chunk)) {
    parser.Feed(chunk.data(), chunk.size());
    received += chunk.size();
  }
  // Every answer costs the host at least three bytes; the longest answer is
  // the location or terminal type sub-negotiation (a dozen bytes).
  if (sink.sent > 8 * received + 16) std::abort();
  return 0;
}
