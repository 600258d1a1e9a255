// Telnet parse plus line assembly: the host stream through the telnet parser,
// each delivery handed to the NonStop session's data handler, which splits it
// into lines and runs the termination check, as on a live connection.
#include <benchmark/benchmark.h>

#include "HostStream.h"
#include "nsk/TNSKTelnet.h"
#include "transport/TelnetParser.h"

namespace {

constexpr size_t kChunk = 2048;

class SessionSink : public TelnetParserSink {
 public:
  explicit SessionSink(TNSKTelnet& session) : m_session(session) {}
  void telnetData(const char* block, int len) override { m_session.SessionDataAvailable(&m_session, block, len); }
  void telnetSend(const char*, int) override {}
  void telnetEndOfRecord() override {}
  std::string telnetSendLocation() override { return "TNCNX"; }
  std::string telnetTerminalType() override { return "VT100"; }
  void telnetLocalEcho(std::optional<bool>) override {}

 private:
  TNSKTelnet& m_session;
};

void BM_TelnetParseAndLineAssembly(benchmark::State& state) {
  const std::string stream = hostStreamWithCommands(1u << 20);
  TNSKTelnet session;
  size_t lines = 0;
  session.OnStringAvailable = [&](TTnCnx*, const std::string&, TNSKTelnetState) { ++lines; };
  SessionSink sink(session);
  TelnetParser parser(sink);
  for (auto _ : state) {
    for (size_t pos = 0; pos < stream.size(); pos += kChunk) {
      parser.Feed(stream.data() + pos, std::min(kChunk, stream.size() - pos));
    }
    benchmark::DoNotOptimize(lines);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(stream.size()));
  state.counters["lines"] = static_cast<double>(lines) / static_cast<double>(state.iterations());
}

BENCHMARK(BM_TelnetParseAndLineAssembly);

}  // namespace
