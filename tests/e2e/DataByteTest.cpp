// The data byte 255 in what the operator types: it reaches the host as that
// byte (doubled on the wire, as telnet wants), never as a telnet command, and
// the host's echo of it is still recognised as the echo.
#include <gtest/gtest.h>

#include <algorithm>

#include "Console.h"
#include "support/NskSimProcess.h"

using korvtest::NskSimProcess;

namespace {

struct DataRow {
  const char* label;
  QStringList simArgs;
  std::string user, password;
  std::string lineName;  // empty: the TACL logon only
  std::string expected;  // the command line the host must receive
};

void PrintTo(const DataRow& row, std::ostream* os) { *os << row.label; }

// 255 244 is IAC IP when it goes out undoubled; 255 80 is IAC and a stray byte.
const std::string kPassword =
    "ab\xff\xf4"
    "cd";
const std::string kUser = "OPS.\xffPER";
const std::string kLine = "L\xff\xf4X";

class DataByte255 : public ::testing::TestWithParam<DataRow> {};

TEST_P(DataByte255, ReachesTheHostAsDataAndItsEchoIsRecognised) {
  const DataRow& row = GetParam();
  NskSimProcess sim(row.simArgs);
  ASSERT_TRUE(sim.started());
  Console console;
  ASSERT_TRUE(console.logonTacl(sim.hostPort(), row.user, row.password));
  EXPECT_TRUE(console.withCode("001").empty()) << "the host refused the TACL logon";
  if (!row.lineName.empty()) {
    ASSERT_FALSE(console.pathmons().empty());
    ASSERT_TRUE(console.logonNcp(console.pathmons().front(), "secret2"));
    const size_t from = console.ownerLines.size();
    console.session.StartLine(row.lineName);
    ASSERT_TRUE(console.waitIdle());
    for (size_t i = from; i < console.ownerLines.size(); ++i) {
      EXPECT_NE(console.ownerLines[i].rfind("START LINE", 0), 0u) << "the echo was taken for output";
    }
  }
  const auto commands = sim.commandsReceived();
  EXPECT_EQ(std::count(commands.begin(), commands.end(), row.expected), 1);
}

INSTANTIATE_TEST_SUITE_P(
    OperatorText, DataByte255,
    ::testing::Values(
        DataRow{"Password", {"--tacl-password", QString::fromLatin1(kPassword)}, "OPS.OPER", kPassword, "", kPassword},
        DataRow{"UserName", {"--tacl-user", QString::fromLatin1(kUser)}, kUser, "secret1", "", "logon " + kUser},
        DataRow{"ObjectName", {}, "OPS.OPER", "secret1", kLine, "START LINE " + kLine}),
    [](const auto& info) { return std::string(info.param.label); });

}  // namespace
