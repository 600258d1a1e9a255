// Line assembly, echo stripping and routing: host byte chunks in, handler
// calls out, one scenario per row.
#include <gtest/gtest.h>

#include "NskHarness.h"

using namespace std::string_literals;
using nsktest::EventLog;
using nsktest::LoopbackHost;
using nsktest::ProbeSession;

namespace {

struct LineScenario {
  const char* name;
  const char* command;  // sent first, so that the session runs it; nullptr: idle
  bool withHandler;     // the command has a completion handler ("done")
  bool hexa;            // ControlCharToHexa
  std::vector<std::string> chunks;
  std::vector<std::string> expected;
  std::string lineAfter;
};

const LineScenario kScenarios[] = {
    {"EchoAtStartIsSkipped",
     "STATUS LINE *",
     true,
     false,
     {"STATUS LINE *\r\nLINE1 STARTED\r\n$X> "},
     {"done:command:LINE1 STARTED", "check:$X> :1", "done:end:$X> "},
     ""},
    {"OutputBeforeTheEchoIsKept",
     "STATUS LINE *",
     true,
     false,
     {"LATE\r\nSTATUS LINE *\r\nLINE1 STARTED\r\n$X> "},
     {"done:command:LATE", "done:command:LINE1 STARTED", "check:$X> :1", "done:end:$X> "},
     ""},
    {"EchoIsStrippedOnlyOnce",
     "STATUS LINE *",
     true,
     false,
     {"STATUS LINE *\r\n", "STATUS LINE *\r\n> "},
     {"done:command:STATUS LINE *", "check:> :1", "done:end:> "},
     ""},
    {"ChunkOfEchoAloneIsConsumedWithoutCheck",
     "TACL",
     true,
     false,
     {"TACL\r\n", "TACL 1> "},
     {"check:TACL 1> :1", "done:end:TACL 1> "},
     ""},
    {"EchoSplitOverChunksIsHandedOnAsALine",
     "TACL",
     true,
     false,
     {"TA", "CL\r\nTACL 1> "},
     {"check:TA:0", "done:command:TACL", "check:TACL 1> :1", "done:end:TACL 1> "},
     ""},
    {"EchoEndsTheLineItInterrupts",
     "TACL",
     true,
     false,
     {"NOTICE", "TACL\r\nTACL 1> "},
     {"check:NOTICE:0", "done:command:NOTICE", "check:TACL 1> :1", "done:end:TACL 1> "},
     ""},
    {"EchoIsSoughtOnlyBeforeTheFirstZeroByte",
     "TACL",
     true,
     false,
     {"\0TACL\r\nX> "s},
     {"done:command:TACL", "check:X> :1", "done:end:X> "},
     ""},
    {"LineThenPrompt",
     "X",
     true,
     false,
     {"AB\r\nTACL 1> "},
     {"done:command:AB", "check:TACL 1> :1", "done:end:TACL 1> "},
     ""},
    {"LineThenPromptAsHexa",
     "X",
     true,
     true,
     {"AB\r\nTACL 1> "},
     {"done:command:AB$0D$0A", "check:TACL 1> :1", "done:end:TACL 1> "},
     ""},
    {"ControlCharactersKeepTheirColumnsPaddingAndLineEndDoNot",
     "X",
     true,
     false,
     {"A\x1b[1mB\0C\x7f\xe9\t\r\n"s},
     {"done:command:A\x1b[1mBC\x7f\xe9\t", "check::0"},
     ""},
    {"ControlCharactersAsHexa",
     "X",
     true,
     true,
     {"A\x1b[1mB\0C\x7f\xe9\t\r\n"s},
     {"done:command:A$1B[1mB$00C\x7f\xe9$09$0D$0A", "check::0"},
     ""},
    {"TwoLineFeedsHandOnAnEmptyLine",
     "X",
     true,
     false,
     {"A\n\nB\n"},
     {"done:command:A", "done:command:", "done:command:B", "check::0"},
     ""},
    {"LineCutAcrossChunks",
     "X",
     true,
     false,
     {"LI", "NE 1\r", "\nrest"},
     {"check:LI:0", "check:LINE 1:0", "done:command:LINE 1", "check:rest:0"},
     "rest"},
    {"PromptSplitOverChunks",
     "X",
     true,
     false,
     {"TACL 1", "> "},
     {"check:TACL 1:0", "check:TACL 1> :1", "done:end:TACL 1> "},
     ""},
    {"CommandWithoutHandlerFeedsOnStringAvailable",
     "X",
     false,
     false,
     {"out\r\n> "},
     {"string:command:out", "check:> :1", "string:end:> "},
     ""},
    {"IdleOutputGoesToOnStringAvailable",
     nullptr,
     false,
     false,
     {"banner\r\nTACL 1> "},
     {"string:idle:banner", "check:TACL 1> :1", "string:end:TACL 1> "},
     ""},
};

void PrintTo(const LineScenario& scenario, std::ostream* os) { *os << scenario.name; }

class LineAssembly : public ::testing::TestWithParam<LineScenario> {};

TEST_P(LineAssembly, ChunksGiveTheExpectedHandlerCalls) {
  const LineScenario& scenario = GetParam();
  LoopbackHost host;
  ProbeSession session;
  ASSERT_TRUE(host.accept(session));
  EventLog log;
  session.OnStringAvailable = log.handler("string");
  session.ControlCharToHexa = scenario.hexa;
  const auto check = log.recorded(session.PromptEndCheck());
  if (scenario.command != nullptr) {
    session.SendCommand(scenario.command, check, scenario.withHandler ? log.handler("done") : nullptr);
  } else {
    session.OnCheckCmdTermination = check;
  }
  for (const std::string& chunk : scenario.chunks) session.feed(chunk);
  EXPECT_EQ(log.entries, scenario.expected);
  EXPECT_EQ(session.CurrentLine(), scenario.lineAfter);
}

INSTANTIATE_TEST_SUITE_P(Scenarios, LineAssembly, ::testing::ValuesIn(kScenarios),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(LineAssemblyLimits, EndlessLineIsHandedOnInBoundedPieces) {
  ProbeSession session;
  std::vector<std::string> lines;
  session.OnStringAvailable = [&](TTnCnx*, const std::string& str, TNSKTelnetState) { lines.push_back(str); };
  const std::string flood(150000, 'x');
  for (size_t at = 0; at < flood.size(); at += 2048) session.feed(flood.substr(at, 2048));
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], std::string(65536 - 256, 'x'));
  EXPECT_EQ(lines[1], std::string(65536 - 256, 'x'));
  EXPECT_EQ(session.CurrentLine().size(), 150000u - 2 * (65536u - 256u));

  lines.clear();
  session.ClearCurrentLine();
  session.ControlCharToHexa = true;
  const std::string escapes(30000, '\x1b');
  for (size_t at = 0; at < escapes.size(); at += 2048) session.feed(escapes.substr(at, 2048));
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_GE(lines[0].size(), 65536u - 256u);
  EXPECT_LE(lines[0].size(), 65536u - 256u + 2);
}

// A prompt after an endless line, with and without the echo's line end
// between them, cut at every point near the end and near the piece
// boundaries: the command ends exactly when the prompt stands on a line of
// its own, however the output was cut.
TEST(LineAssemblyLimits, PromptAfterAnEndlessLineIsJudgedAlikeAtEveryCut) {
  LoopbackHost host;
  ProbeSession session;
  ASSERT_TRUE(host.accept(session));
  session.ExpectedPrompt = "TACL 1> ";
  for (const bool echoBetween : {true, false}) {
    for (const size_t length : {size_t(65536 - 5), size_t(65536), size_t(2 * 65536 + 3)}) {
      const std::string output = std::string(length, 'x') + (echoBetween ? "TACL\r\n" : "") + "TACL 1> ";
      std::vector<size_t> cuts;
      for (size_t cut = 65536 - 300; cut <= std::min(output.size(), size_t(65536 + 10)); ++cut) cuts.push_back(cut);
      for (size_t cut = length - 300; cut <= output.size(); ++cut) cuts.push_back(cut);
      for (const size_t cut : cuts) {
        SCOPED_TRACE(testing::Message() << "echo " << echoBetween << ", length " << length << ", cut " << cut);
        session.ResetCommands();
        bool ended = false;
        session.SendCommand("TACL", session.PromptEqualCheck(),
                            [&](TTnCnx*, const std::string& str, TNSKTelnetState state) {
                              if (state == atsCommandEnd) ended = str == "TACL 1> ";
                            });
        session.feed(output.substr(0, cut));
        session.feed(output.substr(cut));
        ASSERT_EQ(ended, echoBetween);
        if (!echoBetween) {
          const std::string& line = session.CurrentLine();
          ASSERT_GT(line.size(), 8u);
          ASSERT_EQ(line.substr(line.size() - 9), "xTACL 1> ");
        }
      }
    }
  }
}

TEST(LineAssemblyPrompt, AwaitedPromptFollowedAtOnceByMoreOutputEndsTheCommand) {
  LoopbackHost host;
  ProbeSession session;
  ASSERT_TRUE(host.accept(session));
  EventLog log;
  session.OnStringAvailable = log.handler("string");
  session.ExpectedPrompt = "TACL 1> ";
  session.SendCommand("TACL", session.PromptEqualCheck(), log.handler("done"));
  session.feed("TACL\r\nTACL 1> \r\n*** BROADCAST FROM \\KORVDEMO\r\n");
  EXPECT_EQ(log.entries, (std::vector<std::string>{"done:end:TACL 1> ", "string:idle:*** BROADCAST FROM \\KORVDEMO"}));
  EXPECT_EQ(session.State(), atsIdle);
}

TEST(LineAssemblyOwner, OwnersHandlerSeesTheChunkAfterTheEcho) {
  LoopbackHost host;
  ProbeSession session;
  ASSERT_TRUE(host.accept(session));
  std::vector<std::string> seen;
  session.OnDataAvailable = [&](TTnCnx*, const char* buffer, int len) {
    seen.emplace_back(buffer, static_cast<size_t>(len));
    EXPECT_EQ(buffer[len], '\0');
  };
  session.takeOverData();
  session.SendCommand("TACL", nullptr, nullptr);
  session.feed("TACL\r\nTACL 1> ");
  session.SendCommand("X", nullptr, nullptr);
  session.feed("X\r\n");
  session.feed("after");
  EXPECT_EQ(seen, (std::vector<std::string>{"TACL 1> ", "after"}));
}

}  // namespace
