// The parser's data path: what is delivered, when, and that a stream gives
// the same result however it is cut into chunks.
#include <gtest/gtest.h>

#include <random>

#include "RecordingSink.h"

namespace {

constexpr int IAC = 255, SB = 250, SE = 240, WILL = 251, DO = 253, EOR = 239, AYT = 246, NOP = 241, GA = 249;

void feed(TelnetParser& parser, const std::string& in) { parser.Feed(in.data(), in.size()); }

// Everything but the data events, in order.
std::vector<std::string> controlEvents(const RecordingSink& sink) {
  std::vector<std::string> out;
  for (const std::string& e : sink.events) {
    if (e.rfind("data:", 0) != 0) out.push_back(e);
  }
  return out;
}

TEST(TelnetData, EscapedIacIsOneDataByte) {
  RecordingSink sink;
  TelnetParser parser(sink);
  feed(parser, bytes({'a', IAC, IAC, 'b'}));
  EXPECT_EQ(sink.events, (std::vector<std::string>{"data:61 FF 62"}));
}

TEST(TelnetData, DataAroundANegotiationArriveJoinedAfterTheAnswer) {
  RecordingSink sink;
  TelnetParser parser(sink);
  feed(parser, bytes({65, IAC, DO, 24, 66}));
  EXPECT_EQ(sink.events, (std::vector<std::string>{"send:FF FB 18", "data:41 42"}));
}

TEST(TelnetData, EndOfRecordIsRaisedBeforeTheChunksData) {
  RecordingSink sink;
  TelnetParser parser(sink);
  feed(parser, bytes({'x', IAC, EOR, 'y'}));
  EXPECT_EQ(sink.events, (std::vector<std::string>{"eor", "data:78 79"}));
}

TEST(TelnetData, CommandsAreDroppedUnansweredButBareCommandBytesAreData) {
  RecordingSink sink;
  TelnetParser parser(sink);
  feed(parser, bytes({'a', IAC, AYT, 'b', IAC, NOP, IAC, GA, IAC, 0, IAC, SE, AYT, 244, 0, 'c'}));
  EXPECT_EQ(sink.events, (std::vector<std::string>{"data:61 62 F6 F4 00 63"}));
}

TEST(TelnetData, ChunkOfOnlyTelnetCommandsDeliversNothing) {
  RecordingSink sink;
  TelnetParser parser(sink);
  feed(parser, bytes({IAC, NOP, IAC, WILL, 3}));
  EXPECT_EQ(sink.events, (std::vector<std::string>{"send:FF FD 03"}));
}

TEST(TelnetData, FullBufferIsDeliveredAtOnceAndTheRestAtTheChunksEnd) {
  RecordingSink sink;
  TelnetParser parser(sink);
  std::string in(3000, 'd');
  in[2500] = 'e';
  feed(parser, in);
  ASSERT_EQ(sink.deliveries(), 2);
  EXPECT_EQ(sink.events[0], "data:" + hex(in.substr(0, TelnetParser::kBufferSize)));
  EXPECT_EQ(sink.received, in);
}

TEST(TelnetData, OneChunkOfReceiveSizeIsOneDelivery) {
  RecordingSink sink;
  TelnetParser parser(sink);
  feed(parser, std::string(2048, 'z'));
  feed(parser, std::string(2048, 'z'));
  EXPECT_EQ(sink.deliveries(), 2);
  EXPECT_EQ(sink.received.size(), 4096u);
}

// A handler that feeds the parser again (a nested event loop delivering the
// next chunk) finds the buffer already emptied: no byte is delivered twice.
TEST(TelnetData, ReentrantChunkStartsWithAnEmptyBuffer) {
  struct ReentrantSink : RecordingSink {
    TelnetParser* parser = nullptr;
    bool nested = false;
    void telnetData(const char* block, int len) override {
      RecordingSink::telnetData(block, len);
      if (nested) return;
      nested = true;
      const std::string second = "second";
      parser->Feed(second.data(), second.size());
      EXPECT_EQ(std::string(block, len), "first");
    }
  } sink;
  TelnetParser parser(sink);
  sink.parser = &parser;
  feed(parser, "first");
  EXPECT_EQ(sink.received, "firstsecond");
}

TEST(TelnetData, ResetDropsAHalfReadCommand) {
  RecordingSink sink;
  TelnetParser parser(sink);
  feed(parser, bytes({'a', IAC, DO}));
  parser.Reset();
  feed(parser, bytes({24, 'b'}));
  EXPECT_EQ(sink.events, (std::vector<std::string>{"data:61", "data:18 62"}));
}

TEST(TelnetData, ResetEndsAnOpenSubnegotiation) {
  RecordingSink sink;
  TelnetParser parser(sink);
  feed(parser, bytes({IAC, SB, 24}));
  parser.Reset();
  feed(parser, bytes({1, IAC, SE, 'b'}));
  EXPECT_EQ(sink.events, (std::vector<std::string>{"data:01 62"}));
}

TEST(TelnetData, WithoutResetASequenceContinuesInTheNextChunk) {
  RecordingSink sink;
  TelnetParser parser(sink);
  feed(parser, bytes({IAC, SB, 24}));
  feed(parser, bytes({1, IAC, SE, 'b'}));
  EXPECT_EQ(sink.events, (std::vector<std::string>{"term", "send:FF FA 18 00 56 54 31 30 30 FF F0", "data:62"}));
}

// A host stream holding every kind of sequence, with what it must produce.
const std::string kStream =
    bytes({'L', 'I', 'N', 'E', 13,  10,  IAC, WILL, 1,  IAC, DO,  24, 'a', IAC, IAC, 'b',  IAC, SB,  24, 1,
           IAC, SE,  IAC, AYT, 'c', IAC, EOR, IAC,  DO, 23,  IAC, SB, SE,  'd', IAC, WILL, 5,   246, 'e'});
const std::vector<std::string> kStreamControl = {"send:FF FD 01",
                                                 "echo:off",
                                                 "send:FF FB 18",
                                                 "term",
                                                 "send:FF FA 18 00 56 54 31 30 30 FF F0",
                                                 "eor",
                                                 "send:FF FB 17",
                                                 "loc",
                                                 "send:FF FA 17 54 4E 43 4E 58 FF F0",
                                                 "send:FF FE 05"};
const std::string kStreamData = bytes({'L', 'I', 'N', 'E', 13, 10, 'a', IAC, 'b', 'c', 'd', 246, 'e'});

TEST(TelnetChunks, WholeStreamGivesItsEventsAndData) {
  RecordingSink sink;
  TelnetParser parser(sink);
  feed(parser, kStream);
  EXPECT_EQ(controlEvents(sink), kStreamControl);
  EXPECT_EQ(sink.received, kStreamData);
  EXPECT_EQ(sink.deliveries(), 1);
}

TEST(TelnetChunks, StreamCutAtEveryPositionGivesTheSameResult) {
  for (size_t cut = 1; cut < kStream.size(); ++cut) {
    RecordingSink sink;
    TelnetParser parser(sink);
    feed(parser, kStream.substr(0, cut));
    feed(parser, kStream.substr(cut));
    EXPECT_EQ(controlEvents(sink), kStreamControl) << "cut at " << cut;
    EXPECT_EQ(sink.received, kStreamData) << "cut at " << cut;
  }
}

TEST(TelnetChunks, StreamFedByteByByteGivesTheSameResult) {
  RecordingSink sink;
  TelnetParser parser(sink);
  for (char c : kStream) parser.Feed(&c, 1);
  EXPECT_EQ(controlEvents(sink), kStreamControl);
  EXPECT_EQ(sink.received, kStreamData);
}

// Random host streams dense in telnet sequences, cut at random: the bulk copy
// of plain runs must behave exactly as the byte-by-byte rules.
TEST(TelnetChunks, RandomStreamsParseTheSameInAnyChunking) {
  std::mt19937 rng(20261208);
  const int alphabet[] = {IAC, IAC, IAC, SB, SE, WILL, 252, DO, 254, EOR, AYT, 1, 24, 23, 5, 0, 'x', 'y'};
  for (int round = 0; round < 200; ++round) {
    std::string stream;
    const int len = 1 + static_cast<int>(rng() % 6000);
    for (int i = 0; i < len; ++i) {
      stream += static_cast<char>(rng() % 3 == 0 ? 'a' + static_cast<int>(rng() % 26)
                                                 : alphabet[rng() % std::size(alphabet)]);
    }
    RecordingSink bytewise;
    TelnetParser one(bytewise);
    for (char c : stream) one.Feed(&c, 1);

    RecordingSink chunked;
    TelnetParser two(chunked);
    for (size_t pos = 0; pos < stream.size();) {
      const size_t n = std::min(stream.size() - pos, static_cast<size_t>(1 + rng() % 2048));
      two.Feed(stream.data() + pos, n);
      pos += n;
    }
    ASSERT_EQ(controlEvents(chunked), controlEvents(bytewise)) << "round " << round;
    ASSERT_EQ(chunked.received, bytewise.received) << "round " << round;
  }
}

}  // namespace
