// The bash completion and the manual page of ncpctl name the options its
// command line takes: every one of them and no other. The completion runs in
// a real bash.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <set>

#include "ncpctl/CtlOptionTable.h"

namespace {

const QString kPackaging = KORV_TEST_DATA_DIR "/../../packaging/";

std::set<std::string> tableOptions() {
  std::set<std::string> names;
  for (const ctloptions::CtlOption& option : ctloptions::ctlOptions()) names.insert(std::string("--") + option.name);
  return names;
}

// What the completion offers for the last of words (the first is "ncpctl").
QStringList complete(const QStringList& words) {
  QProcess bash;
  bash.start("bash", QStringList{"-c",
                                 "source \"$1\"; shift; COMP_WORDS=(\"$@\"); COMP_CWORD=$(($# - 1)); _ncpctl; "
                                 "printf '%s\\n' \"${COMPREPLY[@]}\"",
                                 "bash", kPackaging + "bash-completion/ncpctl"} +
                         words);
  EXPECT_TRUE(bash.waitForFinished());
  return QString::fromUtf8(bash.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
}

}  // namespace

TEST(NcpctlPackaging, TheManualPageNamesExactlyTheOptions) {
  QFile page(kPackaging + "man/ncpctl.1");
  ASSERT_TRUE(page.open(QIODevice::ReadOnly));
  const QRegularExpression option("--[a-z]+(-[a-z]+)*");
  std::set<std::string> named;
  for (QString line : QString::fromUtf8(page.readAll()).split('\n')) {
    // The examples start the host simulator too, with its own options.
    if (line.startsWith("nsksim")) continue;
    for (const auto& match : option.globalMatch(line.replace("\\-", "-"))) {
      named.insert(match.captured().toStdString());
    }
  }
  EXPECT_EQ(named, tableOptions());
}

TEST(NcpctlPackaging, TheCompletionOffersExactlyTheOptions) {
  std::set<std::string> offered;
  for (const QString& option : complete({"ncpctl", "--"})) offered.insert(option.toStdString());
  for (const ctloptions::CommandRow& row : ctloptions::kCommands) {
    for (const QString& option : complete({"ncpctl", row.word, "--"})) offered.insert(option.toStdString());
  }
  EXPECT_EQ(offered, tableOptions());
}

// The value of an option is no command: the command is still to come.
TEST(NcpctlPackaging, TheCompletionSkipsEveryOptionsValue) {
  for (const ctloptions::CtlOption& option : ctloptions::ctlOptions()) {
    if (!option.takesValue()) continue;
    const QStringList offered = complete({"ncpctl", QString("--") + option.name, "VALUE", ""});
    EXPECT_TRUE(offered.contains(ctloptions::kCommands[0].word)) << option.name;
  }
}
