// The operator actions the session raises for the audit trail, against a
// host that quotes the passwords back in its answers in another letter case:
// the records carry the host's lines with every password masked.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

#include "SessionFixture.h"

namespace {

std::string upper(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::toupper(c); });
  return text;
}

using OperatorActions = SessionFixture;

TEST_F(OperatorActions, AnswersQuotingAPasswordInAnyLetterCaseAreRecordedMasked) {
  std::vector<ncp::OperatorAction> records;
  session.OnOperatorAction = [&](const ncp::OperatorAction& action) { records.push_back(action); };
  taclLogon();
  session.LogonNCP("$PM1", "NCPOPER", "secret2");
  host.answer("NCPCOM - T9153\r\n$PM1 2 > ");
  host.answer("PASSWORD: ");
  EXPECT_EQ(host.answer("SeCrEt2 IS NOT VALID\r\n$PM1 3 > "), "secret2");
  ASSERT_TRUE(waitEvent("007$PM1 3 > "));
  host.answer("$DATA.OPS 4> ");
  session.Perform(ncp::NcpAction::Start, xpLine, "L1");
  EXPECT_EQ(host.answer("*** ERROR: NOT LOGGED ON AS OPS.OPER/SECRET1\r\n$DATA.OPS 5> "), "START LINE L1");
  ASSERT_TRUE(korvtest::waitUntil([&] { return records.size() == 3; }));

  EXPECT_EQ(records[0].kind, ncp::ActionKind::Connect);
  EXPECT_EQ(records[0].outcome, ncp::ActionOutcome::Accepted);
  EXPECT_EQ(records[1].kind, ncp::ActionKind::NcpLogon);
  EXPECT_EQ(records[1].outcome, ncp::ActionOutcome::Refused);
  EXPECT_EQ(records[1].answer, "**** IS NOT VALID");
  EXPECT_EQ(records[2].kind, ncp::ActionKind::Start);
  EXPECT_EQ(records[2].outcome, ncp::ActionOutcome::Refused);
  EXPECT_EQ(records[2].command, "START LINE L1");
  EXPECT_EQ(records[2].answer, "*** ERROR: NOT LOGGED ON AS OPS.OPER/****");
  for (const auto& r : records) {
    for (const std::string& text : {r.host, r.taclUser, r.pathmon, r.ncpUser, r.object, r.command, r.answer}) {
      EXPECT_EQ(upper(text).find("SECRET"), std::string::npos) << text;
    }
  }
  // The session records the disconnect as it goes, after records has gone.
  session.OnOperatorAction = nullptr;
}

}  // namespace
