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

QProcessEnvironment withoutDisplay() {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) env.remove(name);
  return env;
}

// True once the process has a handler for SIGTERM (its SigCgt mask).
bool catchesTermination(qint64 pid) {
  QFile status(QStringLiteral("/proc/%1/status").arg(pid));
  if (!status.open(QIODevice::ReadOnly)) return false;
  for (const QByteArray& line : status.readAll().split('\n')) {
    if (line.startsWith("SigCgt:")) return (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (SIGTERM - 1)) & 1;
  }
  return false;
}

TEST(Program, HelpAndVersionAnswerWithoutADisplay) {
  for (const QString option : {"--version", "--help"}) {
    QProcess program;
    program.setProcessEnvironment(withoutDisplay());
    program.start(KORV_PROGRAM_PATH, {option});
    ASSERT_TRUE(program.waitForFinished(60000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit) << option.toStdString();
    EXPECT_EQ(program.exitCode(), 0) << program.readAllStandardError().toStdString();
    const QString out = QString::fromLocal8Bit(program.readAllStandardOutput());
    EXPECT_TRUE(out.startsWith(option == "--version" ? "Korvanedrestolin " : "Usage: ")) << out.toStdString();
  }
}

TEST(Program, ATerminationSignalEndsItWithoutADialogWhenTheSettingsCannotBeSaved) {
  QTemporaryDir dir;
  const QString copy = dir.filePath("korvanedrestolin");
  ASSERT_TRUE(QFile::copy(KORV_PROGRAM_PATH, copy));
  // A folder where the settings file belongs beside it: no one can write
  // that file, not even root.
  ASSERT_TRUE(QDir(dir.path()).mkdir("korvanedrestolin.INI"));
  QProcess program;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("QT_QPA_PLATFORM", "offscreen");
  program.setProcessEnvironment(env);
  program.start(copy, {});
  ASSERT_TRUE(program.waitForStarted());
  ASSERT_TRUE(korvtest::waitUntil([&] { return catchesTermination(program.processId()); }, 60000));
  ASSERT_EQ(::kill(static_cast<pid_t>(program.processId()), SIGTERM), 0);
  ASSERT_TRUE(program.waitForFinished(60000));
  EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(program.exitCode(), 0);
  const std::string err = program.readAllStandardError().toStdString();
  EXPECT_NE(err.find("Unable to write to " + dir.filePath("korvanedrestolin.INI").toStdString() +
                     "; the window position is not saved"),
            std::string::npos)
      << err;
}

}  // namespace
