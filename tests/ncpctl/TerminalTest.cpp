// Without --password-stdin the passwords are asked on the controlling
// terminal, with echo off: the test gives ncpctl a pseudo-terminal of its own
// and types the answers there, while standard input and output are pipes.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <QProcess>
#include <cstdlib>
#include <cstring>

#include "support/NskSimProcess.h"

namespace {

class PseudoTerminal {
 public:
  PseudoTerminal() {
    m_master = posix_openpt(O_RDWR | O_NOCTTY);
    if (m_master >= 0 && grantpt(m_master) == 0 && unlockpt(m_master) == 0) {
      std::strncpy(m_slave, ptsname(m_master), sizeof m_slave - 1);
    }
  }
  ~PseudoTerminal() {
    if (m_master >= 0) close(m_master);
  }
  bool valid() const { return m_master >= 0 && m_slave[0] != 0; }

  // Makes the pseudo-terminal the controlling terminal of the child process
  // and its standard error, where a shell's job control finds its terminal.
  std::function<void()> childModifier() const {
    const char* slave = m_slave;
    return [slave] {
      setsid();
      const int fd = open(slave, O_RDWR);
      if (fd >= 0) ioctl(fd, TIOCSCTTY, 0);
      if (fd >= 0) dup2(fd, STDERR_FILENO);
    };
  }

  // Reads what the terminal shows until text has appeared (or waitMs passed).
  bool readUntil(const std::string& text, int waitMs = 20000) {
    for (int waited = 0; m_screen.find(text) == std::string::npos && waited < waitMs; waited += 100) {
      pollfd p{m_master, POLLIN, 0};
      if (poll(&p, 1, 100) <= 0) continue;
      char buffer[512];
      const auto n = read(m_master, buffer, sizeof buffer);
      if (n <= 0) break;
      m_screen.append(buffer, static_cast<size_t>(n));
    }
    return m_screen.find(text) != std::string::npos;
  }
  void type(const std::string& text) { ASSERT_EQ(write(m_master, text.data(), text.size()), ssize_t(text.size())); }
  const std::string& screen() const { return m_screen; }
  // Whether the terminal echoes what is typed (the settings outlive the child).
  bool echoing() const {
    termios settings{};
    return tcgetattr(m_master, &settings) == 0 && (settings.c_lflag & ECHO) != 0;
  }
  // Waits until the terminal's echo is as wanted (or waitMs passed).
  bool waitForEcho(bool wanted, int waitMs = 20000) const {
    for (int waited = 0; echoing() != wanted && waited < waitMs; waited += 10) usleep(10000);
    return echoing() == wanted;
  }

 private:
  int m_master = -1;
  char m_slave[128] = {};
  std::string m_screen;
};

class NcpctlTerminal : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(sim.started());
    ASSERT_TRUE(tty.valid());
  }

  korvtest::NskSimProcess sim;
  PseudoTerminal tty;
};

}  // namespace

TEST_F(NcpctlTerminal, PasswordsAreAskedOnTheTerminalWithoutEcho) {
  QProcess ctl;
  ctl.setProgram(QStringLiteral(KORV_NCPCTL_PATH));
  ctl.setArguments(
      {"--host", QString::fromStdString(sim.hostPort()), "--user", "OPS.OPER", "--ncp-user", "NCPOPER", "tree"});
  ctl.setChildProcessModifier(tty.childModifier());
  ctl.start();
  ASSERT_TRUE(ctl.waitForStarted());
  ctl.closeWriteChannel();

  ASSERT_TRUE(tty.readUntil("TACL password for OPS.OPER: ")) << tty.screen();
  tty.type("secret1\n");
  ASSERT_TRUE(tty.readUntil("NCP password for NCPOPER")) << tty.screen();
  tty.type("secret2\n");
  ASSERT_TRUE(ctl.waitForFinished(60000));
  tty.readUntil("\n(end)", 300);

  EXPECT_EQ(ctl.exitCode(), 0) << tty.screen();
  EXPECT_NE(ctl.readAllStandardOutput().indexOf("($PM01)"), -1);
  EXPECT_EQ(tty.screen().find("secret"), std::string::npos) << tty.screen();
}

// Ctrl-Z at the password prompt: while ncpctl is stopped the terminal echoes
// as before, and once the job goes on (fg) echo is off again for the answer.
// A job-control shell runs it, as at a terminal: a stopped process needs a
// parent in its session to come back to it.
TEST_F(NcpctlTerminal, CtrlZAtThePasswordPromptGivesEchoBackUntilTheJobGoesOn) {
  QProcess shell;
  shell.setProgram("/bin/bash");
  // "$@" is ncpctl with its arguments, taken up again once the test writes a line.
  shell.setArguments({"-c", "set -m; \"$@\"; echo \"stopped $?\"; read -r line; fg", "job",
                      QStringLiteral(KORV_NCPCTL_PATH), "--host", QString::fromStdString(sim.hostPort()), "--user",
                      "OPS.OPER", "pathmons"});
  shell.setChildProcessModifier(tty.childModifier());
  shell.start();
  ASSERT_TRUE(tty.readUntil("TACL password for OPS.OPER: ")) << tty.screen();

  tty.type("\x1a");
  QByteArray said;
  while (!said.contains('\n') && shell.waitForReadyRead(20000)) said += shell.readAllStandardOutput();
  ASSERT_EQ(said, "stopped " + QByteArray::number(128 + SIGTSTP) + "\n") << tty.screen();
  EXPECT_TRUE(tty.echoing());

  shell.write("\n");
  ASSERT_TRUE(shell.waitForBytesWritten());
  ASSERT_TRUE(tty.waitForEcho(false));
  tty.type("secret1\n");
  ASSERT_TRUE(shell.waitForFinished(60000));
  EXPECT_EQ(shell.exitCode(), 0) << tty.screen();
  EXPECT_NE(shell.readAllStandardOutput().indexOf("$PM01"), -1);
}

// A signal that ends ncpctl while it waits at the password prompt (echo off)
// still leaves the terminal echoing, and the program ends by that signal.
class NcpctlTerminalSignal : public ::testing::TestWithParam<int> {};

TEST_P(NcpctlTerminalSignal, SignalAtThePasswordPromptLeavesTheTerminalEchoing) {
  PseudoTerminal tty;
  ASSERT_TRUE(tty.valid());
  ASSERT_TRUE(tty.echoing());
  QProcess ctl;
  ctl.setProgram(QStringLiteral(KORV_NCPCTL_PATH));
  // The passwords are asked before anything is connected: no host is needed.
  ctl.setArguments({"--host", "127.0.0.1:1", "--user", "OPS.OPER", "tree"});
  ctl.setChildProcessModifier(tty.childModifier());
  ctl.start();
  ASSERT_TRUE(ctl.waitForStarted());
  ASSERT_TRUE(tty.readUntil("TACL password for OPS.OPER: ")) << tty.screen();
  ASSERT_EQ(kill(static_cast<pid_t>(ctl.processId()), GetParam()), 0);
  ASSERT_TRUE(ctl.waitForFinished(20000));
  EXPECT_EQ(ctl.exitStatus(), QProcess::CrashExit);
  EXPECT_EQ(ctl.exitCode(), GetParam());
  EXPECT_TRUE(tty.echoing());
}

INSTANTIATE_TEST_SUITE_P(EndingSignals, NcpctlTerminalSignal, ::testing::Values(SIGINT, SIGTERM),
                         [](const ::testing::TestParamInfo<int>& info) {
                           return std::string(info.param == SIGINT ? "SIGINT" : "SIGTERM");
                         });
