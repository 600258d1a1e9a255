// The connection's answers to every verb for every option it knows and for
// options outside its table, byte for byte, plus the sub-negotiations.
#include <gtest/gtest.h>

#include "RecordingSink.h"
#include "support/RowName.h"

namespace {

constexpr int IAC = 255, SB = 250, SE = 240, WILL = 251, WONT = 252, DO = 253, DONT = 254;

struct NegotiationRow {
  std::string name;
  std::string input;
  std::vector<std::string> events;
};

using korvtest::PrintTo;

const std::string kLocationSub = "send:FF FA 17 54 4E 43 4E 58 FF F0";
const std::string kTermTypeIs = "send:FF FA 18 00 56 54 31 30 30 FF F0";

std::vector<NegotiationRow> rows() {
  std::vector<NegotiationRow> r = {
      {"Will0_AnsweredDo", bytes({IAC, WILL, 0}), {"send:FF FD 00"}},
      {"Wont0_NoAnswer", bytes({IAC, WONT, 0}), {}},
      {"Do0_NoAnswer", bytes({IAC, DO, 0}), {}},
      {"Dont0_NoAnswer", bytes({IAC, DONT, 0}), {}},
      {"Will1_AnsweredDo_LocalEchoOff", bytes({IAC, WILL, 1}), {"send:FF FD 01", "echo:off"}},
      {"Wont1_LocalEchoOn_NoAnswer", bytes({IAC, WONT, 1}), {"echo:on"}},
      {"Do1_ReportOnly", bytes({IAC, DO, 1}), {"echo:-"}},
      {"Dont1_ReportOnly", bytes({IAC, DONT, 1}), {"echo:-"}},
      {"Will3_AnsweredDo", bytes({IAC, WILL, 3}), {"send:FF FD 03"}},
      {"Wont3_NoAnswer", bytes({IAC, WONT, 3}), {}},
      {"Do3_NoAnswer", bytes({IAC, DO, 3}), {}},
      {"Dont3_NoAnswer", bytes({IAC, DONT, 3}), {}},
      {"Will23_NoAnswer", bytes({IAC, WILL, 23}), {}},
      {"Wont23_NoAnswer", bytes({IAC, WONT, 23}), {}},
      {"Do23_WillThenLocation", bytes({IAC, DO, 23}), {"send:FF FB 17", "loc", kLocationSub}},
      {"Dont23_NoAnswer", bytes({IAC, DONT, 23}), {}},
      {"Will24_NoAnswer", bytes({IAC, WILL, 24}), {}},
      {"Wont24_NoAnswer", bytes({IAC, WONT, 24}), {}},
      {"Do24_AnsweredWill", bytes({IAC, DO, 24}), {"send:FF FB 18"}},
      {"Dont24_NoAnswer", bytes({IAC, DONT, 24}), {}},
      {"Will25_NoAnswer", bytes({IAC, WILL, 25}), {}},
      {"Wont25_NoAnswer", bytes({IAC, WONT, 25}), {}},
      {"Do25_AnsweredWill", bytes({IAC, DO, 25}), {"send:FF FB 19"}},
      {"Dont25_NoAnswer", bytes({IAC, DONT, 25}), {}},
      {"TermTypeSend_AnsweredIsVT100", bytes({IAC, SB, 24, 1, IAC, SE}), {"term", kTermTypeIs}},
      {"TermTypeSend_EndedBySeAlone", bytes({IAC, SB, 24, 1, SE}), {"term", kTermTypeIs}},
      {"EmptySubnegotiation_Ignored", bytes({IAC, SB, SE}), {}},
      {"TermTypeWithoutSend_Ignored", bytes({IAC, SB, 24, SE}), {}},
      {"TermTypeIs_Ignored", bytes({IAC, SB, 24, 0, 'X', IAC, SE}), {}},
      {"OtherSubnegotiation_Ignored", bytes({IAC, SB, 23, 1, IAC, SE}), {}},
      {"DataAfterSubnegotiation_Delivered",
       bytes({IAC, SB, 24, 1, IAC, SE, 'o', 'k'}),
       {"term", kTermTypeIs, "data:6F 6B"}},
  };
  // Options outside the table are refused whatever the verb.
  for (int option : {2, 4, 5, 22, 26, 239, 255}) {
    const std::string o = hex(bytes({option}));
    const std::string tag = std::to_string(option);
    auto name = [&](const char* verb) { return verb + tag + "_Refused"; };
    r.push_back({name("Will"), bytes({IAC, WILL, option}), {"send:FF FE " + o}});
    r.push_back({name("Wont"), bytes({IAC, WONT, option}), {"send:FF FC " + o}});
    r.push_back({name("Do"), bytes({IAC, DO, option}), {"send:FF FC " + o}});
    r.push_back({name("Dont"), bytes({IAC, DONT, option}), {"send:FF FC " + o}});
  }
  return r;
}

class Negotiation : public ::testing::TestWithParam<NegotiationRow> {};

TEST_P(Negotiation, AnswersAsTheTableSays) {
  RecordingSink sink;
  TelnetParser parser(sink);
  parser.Feed(GetParam().input.data(), GetParam().input.size());
  EXPECT_EQ(sink.events, GetParam().events);
}

INSTANTIATE_TEST_SUITE_P(Table, Negotiation, ::testing::ValuesIn(rows()),
                         [](const auto& info) { return info.param.name; });

TEST(NegotiationEvents, LocationAndTermTypeAreReadAfterTheirEvents) {
  struct ChangingSink : RecordingSink {
    std::string telnetSendLocation() override {
      RecordingSink::telnetSendLocation();
      return "HQ";
    }
    std::string telnetTerminalType() override {
      RecordingSink::telnetTerminalType();
      return "ANSI";
    }
  } sink;
  TelnetParser parser(sink);
  const std::string in = bytes({IAC, DO, 23, IAC, SB, 24, 1, IAC, SE});
  parser.Feed(in.data(), in.size());
  EXPECT_EQ(sink.sent(), bytes({IAC, WILL, 23, IAC, SB, 23, 'H', 'Q', IAC, SE}) +
                             bytes({IAC, SB, 24, 0, 'A', 'N', 'S', 'I', IAC, SE}));
}

// A host that answers every refusal with a refusal: the connection answers
// the first one and then lets the exchange die out.
TEST(RefusalLoop, RefusalOfARefusedOptionIsNotAnsweredAgain) {
  RecordingSink sink;
  TelnetParser parser(sink);
  const std::string will = bytes({IAC, WILL, 5});
  const std::string wont = bytes({IAC, WONT, 5});
  parser.Feed(will.data(), will.size());
  for (int i = 0; i < 5; ++i) parser.Feed(wont.data(), wont.size());
  EXPECT_EQ(sink.sent(), bytes({IAC, DONT, 5}));
}

TEST(RefusalLoop, DontAfterWontRefusalIsNotAnsweredButRequestsAlwaysAre) {
  RecordingSink sink;
  TelnetParser parser(sink);
  const std::string in = bytes({IAC, DONT, 7, IAC, DONT, 7, IAC, WONT, 7, IAC, DO, 7, IAC, WILL, 7});
  parser.Feed(in.data(), in.size());
  EXPECT_EQ(sink.sent(), bytes({IAC, WONT, 7, IAC, WONT, 7, IAC, DONT, 7}));
}

TEST(RefusalLoop, RefusedOptionsAreForgottenAtReset) {
  RecordingSink sink;
  TelnetParser parser(sink);
  const std::string wont = bytes({IAC, WONT, 9});
  parser.Feed(wont.data(), wont.size());
  parser.Reset();
  parser.Feed(wont.data(), wont.size());
  EXPECT_EQ(sink.sent(), bytes({IAC, WONT, 9, IAC, WONT, 9}));
}

TEST(RefusalLoop, OneRefusedOptionLeavesOthersAnswered) {
  RecordingSink sink;
  TelnetParser parser(sink);
  const std::string in = bytes({IAC, WONT, 9, IAC, WONT, 10, IAC, WONT, 9});
  parser.Feed(in.data(), in.size());
  EXPECT_EQ(sink.sent(), bytes({IAC, WONT, 9, IAC, WONT, 10}));
}

// Sub-negotiation text is bounded: a longer one is discarded up to its SE and
// the stream goes on normally after it.
TEST(SubnegotiationCap, TextUpToTheCapIsStillAnswered) {
  RecordingSink sink;
  TelnetParser parser(sink);
  std::string in = bytes({IAC, SB, 24, 1});
  in += std::string(TelnetParser::kMaxSubnegotiation - 3, 'x');  // 24, 1, filler, IAC
  in += bytes({IAC, SE});
  parser.Feed(in.data(), in.size());
  EXPECT_EQ(sink.events, (std::vector<std::string>{"term", kTermTypeIs}));
}

TEST(SubnegotiationCap, OverlongSubnegotiationIsDroppedWhole) {
  RecordingSink sink;
  TelnetParser parser(sink);
  std::string in = bytes({IAC, SB, 24, 1});
  in += std::string(TelnetParser::kMaxSubnegotiation - 2, 'x');
  in += bytes({IAC, SE, 'o', 'k', IAC, DO, 24});
  parser.Feed(in.data(), in.size());
  EXPECT_EQ(sink.events, (std::vector<std::string>{"send:FF FB 18", "data:6F 6B"}));
}

TEST(SubnegotiationCap, FloodAcrossManyChunksIsDroppedAndTheNextOneWorks) {
  RecordingSink sink;
  TelnetParser parser(sink);
  const std::string open = bytes({IAC, SB, 24, 1});
  parser.Feed(open.data(), open.size());
  const std::string flood(2048, 'y');
  for (int i = 0; i < 512; ++i) parser.Feed(flood.data(), flood.size());  // 1 MiB
  const std::string rest = bytes({IAC, SE, IAC, SB, 24, 1, IAC, SE});
  parser.Feed(rest.data(), rest.size());
  EXPECT_EQ(sink.events, (std::vector<std::string>{"term", kTermTypeIs}));
}

}  // namespace
