// The program itself, run as the operator runs it: --help and --version
// without a display, and a termination signal while its settings file
// cannot be written.
#include <gtest/gtest.h>
#include <signal.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "support/EventLoop.h"

namespace {

// True once the process has a handler for SIGTERM (its SigCgt mask).
bool catchesTermination(qint64 pid) {
  QFile status(QStringLiteral("/proc/%1/status").arg(pid));
  const QByteArray text = status.open(QIODevice::ReadOnly) ? status.readAll() : QByteArray();
  const qsizetype at = text.indexOf("SigCgt:");
  return at >= 0 && (text.mid(at + 7, 17).trimmed().toULongLong(nullptr, 16) >> (SIGTERM - 1)) & 1;
}

TEST(Program, HelpAndVersionAnswerWithoutADisplay) {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) env.remove(name);
  for (const QString option : {"--version", "--help"}) {
    QProcess program;
    program.setProcessEnvironment(env);
    program.start(KORV_PROGRAM_PATH, {option});
    ASSERT_TRUE(program.waitForFinished(60000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit) << option.toStdString();
    EXPECT_EQ(program.exitCode(), 0) << program.readAllStandardError().toStdString();
    EXPECT_TRUE(program.readAllStandardOutput().startsWith(option == "--version" ? "Korvanedrestolin " : "Usage: "));
  }
}

TEST(Program, ATerminationSignalEndsItWithoutADialogWhenTheSettingsCannotBeSaved) {
  QTemporaryDir dir;
  const QString copy = dir.filePath("korvanedrestolin");
  ASSERT_TRUE(QFile::copy(KORV_PROGRAM_PATH, copy));
  // A folder where its settings file belongs: not even root can write that.
  ASSERT_TRUE(QDir(dir.path()).mkdir("korvanedrestolin.INI"));
  QProcess program;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("QT_QPA_PLATFORM", "offscreen");
  program.setProcessEnvironment(env);
  program.start(copy, {});
  ASSERT_TRUE(korvtest::waitUntil([&] { return catchesTermination(program.processId()); }, 60000));
  ASSERT_EQ(::kill(static_cast<pid_t>(program.processId()), SIGTERM), 0);
  ASSERT_TRUE(program.waitForFinished(60000));
  EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(program.exitCode(), 0);
  EXPECT_TRUE(program.readAllStandardError().contains("korvanedrestolin.INI; the window position is not saved"));
}

}  // namespace
