// The standard termination checks and the contract of a check: it works on
// the session's current line itself, and a missing check ends every chunk.
#include <gtest/gtest.h>

#include "NskHarness.h"

using nsktest::EventLog;
using nsktest::LoopbackHost;
using nsktest::ProbeSession;

namespace {

struct CheckRow {
  const char* line;
  bool terminates;
};

TEST(PromptChecks, PromptEndNeedsGreaterThanAndBlankAsTheLastTwo) {
  const CheckRow rows[] = {{"", false},          {" ", false},   {">", false},
                           {"> ", true},         {"1> ", true},  {"TACL 1>", false},
                           {"TACL 1>  ", false}, {"a >", false}, {"$DATA1 NCP> ", true}};
  ProbeSession session;
  for (const CheckRow& row : rows) {
    std::string line = row.line;
    bool bterminate = !row.terminates;
    session.CheckPromptEnd(&session, line, bterminate);
    EXPECT_EQ(bterminate, row.terminates) << '"' << row.line << '"';
  }
}

TEST(PromptChecks, PromptEqualIsExactAndCaseSensitive) {
  const CheckRow rows[] = {{"Password: ", true},   {"password: ", false},  {"Password:", false},
                           {" Password: ", false}, {"Password: x", false}, {"", false}};
  ProbeSession session;
  session.ExpectedPrompt = "Password: ";
  for (const CheckRow& row : rows) {
    std::string line = row.line;
    bool bterminate = !row.terminates;
    session.CheckPromptEqual(&session, line, bterminate);
    EXPECT_EQ(bterminate, row.terminates) << '"' << row.line << '"';
  }
}

TEST(PromptChecks, EqualCheckWaitsForTheWholePromptAcrossChunks) {
  LoopbackHost host;
  ProbeSession session;
  ASSERT_TRUE(host.accept(session));
  EventLog log;
  session.ExpectedPrompt = "TACL 1> ";
  session.SendCommand("TACL", log.recorded(session.PromptEqualCheck()), log.handler("done"));
  session.feed("TACL\r\nTACL 1");
  session.feed(">");
  session.feed(" ");
  EXPECT_EQ(log.entries,
            (std::vector<std::string>{"check:TACL 1:0", "check:TACL 1>:0", "check:TACL 1> :1", "done:end:TACL 1> "}));
}

TEST(PromptChecks, CheckRewritesTheSessionsCurrentLine) {
  ProbeSession session;
  EventLog log;
  session.OnStringAvailable = log.handler("string");
  // Like a pager check: answers the page prompt and forgets it.
  session.OnCheckCmdTermination = [](TTnCnx*, std::string& line, bool&) {
    if (line == "MORE") line.clear();
  };
  session.feed("MORE");
  EXPECT_EQ(session.CurrentLine(), "");
  session.feed("next\n");
  EXPECT_EQ(log.entries, (std::vector<std::string>{"string:idle:next"}));
}

TEST(PromptChecks, WithoutACheckEveryChunkEndsTheCommand) {
  LoopbackHost host;
  ProbeSession session;
  ASSERT_TRUE(host.accept(session));
  EventLog log;
  session.OnDebug = [&](TTnCnx* sender, const std::string& text) {
    EXPECT_EQ(sender, &session);
    log.add("debug:" + text);
  };
  session.Password = "s3cret";
  session.SendCommand("A", nullptr, log.handler("done"));
  session.OnCheckCmdTermination = nullptr;
  session.feed("A\r\nline\r\npartial s3cret");
  EXPECT_EQ(session.State(), atsIdle);
  EXPECT_EQ(log.entries, (std::vector<std::string>{"done:command:line", "debug:Force EndOfCommand :partial ****",
                                                   "done:end:partial s3cret"}));
}

}  // namespace
