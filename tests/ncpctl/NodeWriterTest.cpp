// The output rules on trees the simulator cannot serve: host text with control
// characters, quotes, backslashes and Latin-1 letters must come out as valid
// JSON and UTF-8 with every byte kept, and in text output and error sentences
// with every control character escaped; the status is the registry entry's,
// whatever the node's text says.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>

#include "ncp/MemoryTree.h"
#include "ncp/TXPNetObjList.h"
#include "ncpctl/NcpCtl.h"
#include "ncpctl/NodeWriter.h"

namespace {

const std::string kHost("H\x01\"\\\n\t\x1f\xe9", 8);
const std::string kPathmon("$P\x7f\xff", 4);
const std::string kProcess("PR/OC\xc4\x80", 7);

struct Sample {
  ncp::MemoryTree tree;
  TXPNetObjList registry;
  ncp::TreeNode* host = nullptr;

  Sample() {
    registry.SetTreeNodes(&tree);
    host = tree.addChild(nullptr, kHost);
    registry.AddPathmon(host, kPathmon);
    registry.AddProcess(kPathmon, kProcess, nsStopped);
    registry.AddStation(kProcess, "S1");
    registry.AddLine(kProcess, "L1");
    registry.SetStatusObj("L1", xpLine, nsStarting);
  }
};

}  // namespace

TEST(NcpctlNodeWriter, JsonKeepsEveryByteOfLatin1TextAndEscapesControlCharacters) {
  Sample s;
  std::string out;
  NodeWriter(s.registry).appendJson(out, *s.host);
  for (unsigned char c : out) EXPECT_GE(c, 0x20) << "raw control byte in " << out;

  QJsonParseError error{};
  const QJsonObject host = QJsonDocument::fromJson(QByteArray::fromStdString(out), &error).object();
  ASSERT_EQ(error.error, QJsonParseError::NoError) << out;
  EXPECT_EQ(host["type"].toString(), "host");
  EXPECT_EQ(host["text"].toString(), QString::fromLatin1(kHost.data(), static_cast<qsizetype>(kHost.size())));
  EXPECT_TRUE(host["status"].isNull());

  const QJsonObject pathmon = host["children"].toArray()[0].toObject();
  EXPECT_EQ(pathmon["type"].toString(), "pathmon");
  EXPECT_EQ(pathmon["name"].toString(), QString::fromLatin1(kPathmon.data(), 4));
  EXPECT_TRUE(pathmon["status"].isNull());

  const QJsonObject process = pathmon["children"].toArray()[0].toObject();
  EXPECT_EQ(process["type"].toString(), "process");
  EXPECT_EQ(process["name"].toString(), QString::fromLatin1(kProcess.data(), 7));
  EXPECT_EQ(process["status"].toString(), "STOPPED");
  const QJsonArray children = process["children"].toArray();
  ASSERT_EQ(children.size(), 2);
  EXPECT_EQ(children[0].toObject()["type"].toString(), "station");
  EXPECT_EQ(children[0].toObject()["status"].toString(), "STARTED");
  EXPECT_EQ(children[1].toObject()["type"].toString(), "line");
  EXPECT_EQ(children[1].toObject()["status"].toString(), "STARTING");
  EXPECT_EQ(children[1].toObject()["text"].toString(), "(Starting) L1");
}

TEST(NcpctlNodeWriter, TextIsTheIndentedTreeInUtf8WithControlCharactersEscaped) {
  Sample s;
  std::string out;
  NodeWriter(s.registry).appendText(out, *s.host);
  const std::string expected =
      "H\\x01\"\\\\x0a\\x09\\x1f\u00e9\n  $P\\x7f\u00ff\n    (Stopped) PR/OC\u00c4\\x80"
      "\n      (Started) S1\n      (Starting) L1\n";
  EXPECT_EQ(out, expected);
}

namespace {

// A control character the host put into a name or an error line.
struct ControlRow {
  const char* name;
  char byte;
  const char* escaped;
};

void PrintTo(const ControlRow& row, std::ostream* out) { *out << row.name; }

class NcpctlControlCharacters : public ::testing::TestWithParam<ControlRow> {};

std::string contents(std::FILE* file) {
  std::string text(static_cast<size_t>(std::ftell(file)), '\0');
  std::rewind(file);
  text.resize(std::fread(text.data(), 1, text.size(), file));
  return text;
}

}  // namespace

// Neither the byte nor its UTF-8 form may reach the terminal, where C1 codes
// such as CSI (155) and OSC (157) start escape sequences.
TEST_P(NcpctlControlCharacters, ReachTheTerminalAsHexInTextOutputAndErrorSentences) {
  const std::string name = std::string("P") + GetParam().byte + "X";
  const std::string shown = std::string("P") + GetParam().escaped + "X";

  Sample s;
  s.registry.AddProcess(kPathmon, name, nsStopped);
  std::string text;
  NodeWriter(s.registry).appendText(text, *s.host);
  EXPECT_NE(text.find("\n    (Stopped) " + shown + "\n"), std::string::npos) << text;

  std::FILE* err = std::tmpfile();
  ASSERT_NE(err, nullptr);
  {
    NcpCtl ctl(CtlOptions{}, Passwords{}, stdout, err);
    ctl.fail(ExitCode::Refused, "the host refused start process P: *** ERROR: PROCESS \\S.$P." + name);
  }
  EXPECT_EQ(contents(err), "ncpctl: the host refused start process P: *** ERROR: PROCESS \\S.$P." + shown + "\n");
  std::fclose(err);
}

INSTANTIATE_TEST_SUITE_P(Rows, NcpctlControlCharacters,
                         ::testing::Values(ControlRow{"C0Escape", '\x1b', "\\x1b"},
                                           ControlRow{"Delete", '\x7f', "\\x7f"}, ControlRow{"C1Csi", '\x9b', "\\x9b"},
                                           ControlRow{"C1Osc", '\x9d', "\\x9d"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(NcpctlNodeWriter, StatusIsTheRegistryEntrysNotTheNodeText) {
  Sample s;
  const NodeWriter writer(s.registry);
  ncp::TreeNode* process = s.host->child(0)->child(0);
  s.registry.SetStatusObj(kProcess, xpProcess, nsStarted);
  process->setText("(Stopped) " + kProcess);
  EXPECT_EQ(writer.statusOf(*process), nsStarted);
  EXPECT_EQ(writer.statusOf(*s.tree.addChild(nullptr, "(Started) X")), std::nullopt);
  EXPECT_EQ(writer.statusOf(*s.host->child(0)), std::nullopt) << "a PATHMON shows no status";
}
