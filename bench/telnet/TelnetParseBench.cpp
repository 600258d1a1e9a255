// Telnet parse throughput: our TelnetParser against libtelnet on the same
// host stream, fed in the connection's receive chunks of 2048 bytes; every
// data byte is copied out once by the receiving side in both.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

extern "C" {
#include <libtelnet.h>
}

#include "HostStream.h"
#include "transport/TelnetParser.h"

namespace {

constexpr size_t kStreamSize = 1u << 20;
constexpr size_t kChunk = 2048;

// Copies the delivered data out, as a data handler does.
class CopySink : public TelnetParserSink {
 public:
  std::vector<char> out = std::vector<char>(4096);
  size_t total = 0;
  void telnetData(const char* block, int len) override {
    std::memcpy(out.data(), block, static_cast<size_t>(len));
    total += static_cast<size_t>(len);
  }
  void telnetSend(const char*, int) override {}
  void telnetEndOfRecord() override {}
  std::string telnetSendLocation() override { return "TNCNX"; }
  std::string telnetTerminalType() override { return "VT100"; }
  void telnetLocalEcho(std::optional<bool>) override {}
};

void parseOurs(benchmark::State& state, const std::string& stream) {
  CopySink sink;
  TelnetParser parser(sink);
  for (auto _ : state) {
    for (size_t pos = 0; pos < stream.size(); pos += kChunk) {
      parser.Feed(stream.data() + pos, std::min(kChunk, stream.size() - pos));
    }
    benchmark::DoNotOptimize(sink.total);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(stream.size()));
}

struct LibtelnetCopy {
  std::vector<char> out = std::vector<char>(4096);
  size_t total = 0;
};

void libtelnetHandler(telnet_t*, telnet_event_t* ev, void* user) {
  auto* copy = static_cast<LibtelnetCopy*>(user);
  if (ev->type == TELNET_EV_DATA) {
    std::memcpy(copy->out.data(), ev->data.buffer, ev->data.size);
    copy->total += ev->data.size;
  }
}

const telnet_telopt_t kTelopts[] = {{TELNET_TELOPT_ECHO, TELNET_WONT, TELNET_DO},
                                    {TELNET_TELOPT_SGA, TELNET_WONT, TELNET_DO},
                                    {TELNET_TELOPT_TTYPE, TELNET_WILL, TELNET_DONT},
                                    {TELNET_TELOPT_EOR, TELNET_WILL, TELNET_DONT},
                                    {-1, 0, 0}};

void parseLibtelnet(benchmark::State& state, const std::string& stream) {
  LibtelnetCopy copy;
  telnet_t* t = telnet_init(kTelopts, libtelnetHandler, 0, &copy);
  for (auto _ : state) {
    for (size_t pos = 0; pos < stream.size(); pos += kChunk) {
      telnet_recv(t, stream.data() + pos, std::min(kChunk, stream.size() - pos));
    }
    benchmark::DoNotOptimize(copy.total);
  }
  telnet_free(t);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(stream.size()));
}

const std::string& commandsStream() {
  static const std::string s = hostStreamWithCommands(kStreamSize);
  return s;
}
const std::string& plainStream() {
  static const std::string s = plainHostStream(kStreamSize);
  return s;
}

void BM_TelnetParse_HostStream(benchmark::State& state) { parseOurs(state, commandsStream()); }
void BM_Libtelnet_HostStream(benchmark::State& state) { parseLibtelnet(state, commandsStream()); }
void BM_TelnetParse_PlainData(benchmark::State& state) { parseOurs(state, plainStream()); }
void BM_Libtelnet_PlainData(benchmark::State& state) { parseLibtelnet(state, plainStream()); }

BENCHMARK(BM_TelnetParse_HostStream);
BENCHMARK(BM_Libtelnet_HostStream);
BENCHMARK(BM_TelnetParse_PlainData);
BENCHMARK(BM_Libtelnet_PlainData);

}  // namespace

BENCHMARK_MAIN();
