// ncpctl: the headless NCP console. Parses the command line, reads the
// passwords, runs one NcpCtl (an EstateCtl over several hosts or PATHMONs)
// on a single-threaded event loop and exits with its code.
#include <QTimer>
#include <cstdio>
#include <memory>

#include "audit/AuditTrail.h"
#include "ncpctl/CheckWriter.h"
#include "ncpctl/CtlApplication.h"
#include "ncpctl/CtlOptions.h"
#include "ncpctl/EstateCtl.h"
#include "ncpctl/ExitCode.h"
#include "ncpctl/NcpCtl.h"
#include "ncpctl/NodeWriter.h"
#include "ncpctl/PasswordInput.h"
#include "nsk/ProcessSecrecy.h"

namespace {

template <typename Ctl>
int run(CtlApplication& app, const CtlOptions& options, Passwords passwords, const AuditTrail& audit) {
  Ctl ctl(options, std::move(passwords), stdout, stderr, &audit);
  ctl.OnFinished = [](int status) { QCoreApplication::exit(status); };
  QTimer::singleShot(0, &app, [&ctl] { ctl.start(); });
  return app.exec();
}

}  // namespace

int main(int argc, char** argv) {
  keepSecretsOutOfCoreDumps();
  CtlApplication app(argc, argv);
  QStringList arguments = app.arguments();
  arguments.removeFirst();

  std::string error;
  bool help = false, version = false;
  const auto options = CtlOptions::parse(arguments, &error, &help, &version);
  // A check's every failure is its UNKNOWN, told on standard output, where
  // the monitoring system reads it.
  const bool check = CtlOptions::commandWord(arguments) == "check";
  if (!options) {
    if (help) {
      std::fputs(CtlOptions::usage().c_str(), stdout);
      return static_cast<int>(ExitCode::Done);
    }
    if (version) {
      std::puts("ncpctl " KORV_VERSION);
      return static_cast<int>(ExitCode::Done);
    }
    if (check) {
      std::fputs(CheckWriter::unknownLine(error + " (ncpctl --help shows the usage)").c_str(), stdout);
      return static_cast<int>(PluginState::Unknown);
    }
    std::fprintf(stderr, "ncpctl: %s (ncpctl --help shows the usage)\n", NodeWriter::printable(error).c_str());
    return static_cast<int>(ExitCode::Usage);
  }

  // Before the passwords are asked and anything is sent: no action goes
  // unrecorded.
  const AuditTrail audit(options->audit);
  if (!audit.open(&error)) {
    if (check) {
      std::fputs(CheckWriter::unknownLine(error).c_str(), stdout);
      return static_cast<int>(PluginState::Unknown);
    }
    std::fprintf(stderr, "ncpctl: %s\n", NodeWriter::printable(error).c_str());
    return static_cast<int>(ExitCode::Usage);
  }

  auto passwords = options->passwordStdin
                       ? PasswordInput::fromStream(0, &error)
                       : PasswordInput::fromTerminal(
                             "TACL password for " + NodeWriter::printable(options->user) + ": ",
                             "NCP password for " + NodeWriter::printable(options->ncpUser) + " (Enter: the same): ",
                             options->needsNcp(), &error);
  if (!passwords) {
    if (check) {
      std::fputs(CheckWriter::unknownLine(error).c_str(), stdout);
      return static_cast<int>(PluginState::Unknown);
    }
    std::fprintf(stderr, "ncpctl: %s\n", error.c_str());
    return static_cast<int>(ExitCode::Usage);
  }

  if (options->estate()) return run<EstateCtl>(app, *options, std::move(*passwords), audit);
  return run<NcpCtl>(app, *options, std::move(*passwords), audit);
}
