// The command line: what it defaults to, and every malformed one refused
// with a sentence before anything is sent. A password is never an option.
#include <gtest/gtest.h>

#include "ncpctl/CtlOptions.h"

namespace {

const QStringList kBase = {"--host", "h:2323", "--user", "OPS.OPER"};

std::optional<CtlOptions> parse(const QStringList& args, std::string* error = nullptr) {
  std::string e;
  bool help = false;
  auto o = CtlOptions::parse(args, &e, &help);
  if (error) *error = e;
  return o;
}

}  // namespace

TEST(NcpctlOptions, DefaultsFollowTheUserAndTheFirstPathmon) {
  const auto o = parse(kBase + QStringList{"tree"});
  ASSERT_TRUE(o);
  EXPECT_EQ(o->host, "h:2323");
  EXPECT_EQ(o->ncpUser, "OPS.OPER");
  EXPECT_TRUE(o->pathmon.empty());
  EXPECT_EQ(o->format, CtlOptions::Format::Text);
  EXPECT_EQ(o->timeoutSeconds, 60);
  EXPECT_FALSE(o->passwordStdin);

  const auto w = parse(kBase + QStringList{"--ncp-user=NCPOPER", "watch", "--interval", "0.5", "--count", "3"});
  ASSERT_TRUE(w);
  EXPECT_EQ(w->command, CtlOptions::Command::Watch);
  EXPECT_EQ(w->ncpUser, "NCPOPER");
  EXPECT_EQ(w->intervalSeconds, 0.5);
  EXPECT_EQ(w->count, 3);

  const auto s = parse(kBase + QStringList{"stop", "station", "ATM001"});
  ASSERT_TRUE(s);
  EXPECT_EQ(s->command, CtlOptions::Command::Stop);
  EXPECT_EQ(s->objectType, xpStation);
  EXPECT_EQ(s->objectName, "ATM001");
}

TEST(NcpctlOptions, MalformedCommandLinesAreRefusedWithASentence) {
  const std::vector<QStringList> rows = {
      {"--user", "U", "tree"},                // no host
      {"--host", "h", "tree"},                // no user
      kBase,                                  // no command
      kBase + QStringList{"frobnicate"},      //
      kBase + QStringList{"tree", "extra"},   //
      kBase + QStringList{"status", "line"},  // no name
      kBase + QStringList{"status", "lines", "X"},
      kBase + QStringList{"signon"},
      kBase + QStringList{"--format", "xml", "tree"},
      kBase + QStringList{"--timeout", "0", "tree"},
      kBase + QStringList{"--timeout", "soon", "tree"},
      kBase + QStringList{"--interval", "1", "tree"},  // watch only
      kBase + QStringList{"watch", "--count", "0"},
      kBase + QStringList{"--audit-keep", "0", "tree"},
      kBase + QStringList{"--page-quiet-ms", "0", "tree"},
      kBase + QStringList{"--audit-max-bytes", "big", "tree"},
      kBase + QStringList{"--audit-file=", "tree"},
      kBase + QStringList{"--audit-syslog=yes", "tree"},
      kBase + QStringList{"--pathmon"},  // no value
      kBase + QStringList{"--debug=yes", "tree"},
      kBase + QStringList{"status", "line", "L\r\nSTOP LINE X"},
      {"--host", "h", "--user", "U\nX", "tree"},
      // Names that would change the command they go into.
      kBase + QStringList{"start", "process", "A B"},
      kBase + QStringList{"signon", "X,Y"},
      kBase + QStringList{"stop", "line", "A'B"},
      kBase + QStringList{"status", "station", "A\"B"},
      kBase + QStringList{"start", "line", "A;B"},
      // Text outside Latin-1 (U+FFFD: a byte the command line could not decode).
      {"--host", "h", "--user", QString::fromUtf8("ÖPS€"), "tree"},
      kBase + QStringList{"status", "line", QString(QChar(0xFFFD))},
      kBase + QStringList{"--pathmon", QString::fromUtf8("$PM€"), "tree"},
      // Empty NCP user.
      kBase + QStringList{"--ncp-user", "", "tree"},
      kBase + QStringList{"--ncp-user=", "tree"},
      {"--host", "h:0", "--user", "U", "tree"},
      {"--host", "h:65536", "--user", "U", "tree"},
      {"--host", "[::1]:telnet", "--user", "U", "tree"},
      // The monitoring commands' own options, and theirs only.
      kBase + QStringList{"tree", "--textfile", "ncp.prom"},
      kBase + QStringList{"metrics", "--textfile="},
      kBase + QStringList{"tree", "--critical", "abnormal=0"},
      kBase + QStringList{"check", "--type", "lines"},
      kBase + QStringList{"check", "--name", "A,B"},
      kBase + QStringList{"--format", "json", "metrics"},
      {"--host", "telnets://h", "--user", "U", "--pin", "sha256:12ab", "tree"},     // too short
      {"--host", "telnets://h", "--user", "U", "--pin", QString(64, 'a'), "tree"},  // no sha256:
      {"--host", "telnets://h", "--user", "U", "--ca-file", "/nonexistent/ca.pem", "tree"},
      kBase + QStringList{"--pin", "sha256:" + QString(64, 'a'), "tree"},  // a telnet host has no certificate
  };
  for (const auto& row : rows) {
    std::string error;
    EXPECT_FALSE(parse(row, &error)) << row.join(' ').toStdString();
    EXPECT_FALSE(error.empty()) << row.join(' ').toStdString();
  }
}

TEST(NcpctlOptions, APasswordOptionIsRefusedWithoutRepeatingIt) {
  for (const QString& option : {QString("--password"), QString("--passwd"), QString("--password=hunter2")}) {
    std::string error;
    QStringList args = kBase;
    args << option;
    if (!option.contains('=')) args << "hunter2";
    args << "tree";
    EXPECT_FALSE(parse(args, &error));
    EXPECT_EQ(error.find("hunter2"), std::string::npos) << error;
    EXPECT_NE(error.find("--password-stdin"), std::string::npos) << error;
  }
}
