// Where an NCPCOM listing ends: page prompts answered with an empty line,
// the NCPCOM prompt found wherever the chunks cut it, and a partial line that
// is searched only once even when it grows over many chunks.
#include <gtest/gtest.h>

#include "SessionFixture.h"

using korvtest::waitUntil;

class NcpTermination : public SessionFixture {
 protected:
  void SetUp() override {
    taclLogon();
    ncpLogon();
    events.clear();
    debug.clear();
  }

  // Sends bytes as one chunk and waits until the session has worked it through.
  void sendChunk(const std::string& bytes, const std::string& expectedCurrentLine) {
    host.send(bytes);
    ASSERT_TRUE(waitUntil([&] { return session.CurrentLine() == expectedCurrentLine; }))
        << "current line: " << session.CurrentLine().substr(0, 80);
  }
};

TEST_F(NcpTermination, PagePromptsAreAnsweredOutsideTheQueueAndNeverReachTheHandler) {
  session.StatusLine("*");
  ASSERT_EQ(host.nextLine(), "STATUS LINE *");
  const std::string l1 = objectLine("L1", "STARTED");
  const std::string l2 = objectLine("L2", "STOPPED");
  host.send("STATUS LINE *\r\n" + l1 + "\r\nMO");
  ASSERT_TRUE(host.caughtUp());
  EXPECT_EQ(host.lines().size(), 9u) << "three letters are not yet a page prompt";
  host.send("RE -- press return ");
  EXPECT_EQ(host.nextLine(), "");
  EXPECT_TRUE(waitUntil([&] { return session.CurrentLine().empty(); }));
  host.send(l2 + "\r\nMORE");
  EXPECT_EQ(host.nextLine(), "");
  host.send("\r\n$PM1 9 > ");
  ASSERT_TRUE(waitUntil([&] { return session.State() == atsIdle; }));
  EXPECT_EQ(events, (std::vector<std::string>{"011" + l1, "011" + l2}));
  for (const auto& d : debug) EXPECT_EQ(d.text.find("MORE"), std::string::npos) << d.text;
  EXPECT_EQ(session.QueueCount(), 0);
}

TEST_F(NcpTermination, PromptCutAnywhereAfterALongPartialLineEndsTheListing) {
  const std::string prompt = " > ";
  for (size_t cut = 0; cut <= prompt.size(); ++cut) {
    SCOPED_TRACE(cut);
    debug.clear();
    session.StatusProcess("P1");
    ASSERT_EQ(host.nextLine(), "STATUS PROCESS P1");
    const std::string longText(20000, 'x');
    sendChunk("STATUS PROCESS P1\r\n" + longText.substr(0, 7000), longText.substr(0, 7000));
    sendChunk(longText.substr(7000), longText);
    if (cut < prompt.size()) {
      sendChunk(prompt.substr(0, cut), longText + prompt.substr(0, cut));
      EXPECT_EQ(session.State(), atsCommand);
      host.send(prompt.substr(cut));
    } else {
      host.send(prompt);
    }
    ASSERT_TRUE(waitUntil([&] { return session.State() == atsIdle; }));
    EXPECT_TRUE(hasDebug(nullptr, "EvStatusProcess->" + longText + prompt));
  }
}

TEST_F(NcpTermination, NewLineAfterALongPartialLineIsSearchedFromItsStart) {
  session.StatusStation("S1");
  ASSERT_EQ(host.nextLine(), "STATUS STATION S1");
  sendChunk("STATUS STATION S1\r\n" + std::string(300, 'y'), std::string(300, 'y'));
  host.send("\r\nS1 > " + std::string(400, 'c'));
  ASSERT_TRUE(waitUntil([&] { return session.State() == atsIdle; }));
  EXPECT_TRUE(hasDebug(nullptr, "EvStatusStation->S1 > " + std::string(400, 'c')));
}

TEST_F(NcpTermination, TaclPromptDoesNotEndAListingButTheNcpPromptAfterItDoes) {
  session.StatusLine("L1");
  ASSERT_EQ(host.nextLine(), "STATUS LINE L1");
  sendChunk("STATUS LINE L1\r\nTACL 1> ", "TACL 1> ");
  ASSERT_TRUE(host.caughtUp());
  EXPECT_EQ(session.State(), atsCommand);
  host.send("\r\n$PM1 2 > ");
  ASSERT_TRUE(waitUntil([&] { return session.State() == atsIdle; }));
}

TEST_F(NcpTermination, ListingAfterAnotherCommandStartsItsSearchAfresh) {
  // A listing that ended on a long line, then another: the second one's
  // prompt early in a shorter line is still found.
  session.StatusLine("L1");
  ASSERT_EQ(host.nextLine(), "STATUS LINE L1");
  sendChunk("STATUS LINE L1\r\n" + std::string(500, 'z'), std::string(500, 'z'));
  host.send(" > ");
  ASSERT_TRUE(waitUntil([&] { return session.State() == atsIdle; }));
  session.StatusLine("L2");
  ASSERT_EQ(host.nextLine(), "STATUS LINE L2");
  host.send("STATUS LINE L2\r\nA > " + std::string(600, 'q'));
  ASSERT_TRUE(waitUntil([&] { return session.State() == atsIdle; }));
}
