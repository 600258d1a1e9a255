// EstateCtl: one run of tree, metrics or check over several hosts or several
// PATHMONs: one NcpCtl per host and PATHMON, all at once, each on its own
// connections (the ones to one host share its ConnectionBudget), and one
// output for all of them once every one has loaded.
//
// With --pathmon all the first run of a host takes the first PATHMON it
// lists and starts one more run for each of the others. The tree shows each
// host once (one text tree, or one JSON object a line, after the other),
// every PATHMON under it from the run that loaded it; metrics carry each
// PATHMON's labels; check counts over all of them and gives each one's
// counts in its long output. When one run fails, the others say farewell
// and the whole run ends with that run's code (for check: UNKNOWN).
//
// Holds the passwords until every run that needs them has been started.
// Owns its runs; single-threaded on the Qt event loop; start() once,
// OnFinished once.
#pragma once

#include <QSaveFile>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "audit/AuditTrail.h"
#include "ncp/ConnectionBudget.h"
#include "ncpctl/CheckWriter.h"
#include "ncpctl/CtlOptions.h"
#include "ncpctl/NcpCtl.h"
#include "ncpctl/PasswordInput.h"

class EstateCtl {
 public:
  EstateCtl(CtlOptions options, Passwords passwords, std::FILE* out = stdout, std::FILE* err = stderr,
            const AuditTrail* audit = nullptr);
  EstateCtl(const EstateCtl&) = delete;
  EstateCtl& operator=(const EstateCtl&) = delete;

  // As NcpCtl's: the process's exit status, once.
  std::function<void(int)> OnFinished;

  void start();

 private:
  struct Run {
    std::unique_ptr<NcpCtl> ctl;
    bool loaded = false;
    bool finished = false;
  };
  struct Host {
    std::string field;
    ConnectionBudget budget;
    std::vector<std::unique_ptr<Run>> runs;
    bool listed = false;  // every run it needs is made
  };

  Run& addRun(Host& host, const std::string& pathmon);
  bool allListed() const;
  void forgetPasswordsWhenListed();
  // The --textfile cannot be written: the run ends with exit code 1.
  void textfileFailed();
  // Ends every run with code and one sentence (check: its UNKNOWN line).
  void failAll(ExitCode code, const std::string& sentence);
  void pathmonsListed(Host& host, const std::vector<std::string>& names);
  void loaded(Run& run);
  void runFinished(Run& run, int status);
  // Every run loaded: the output, then farewell everywhere.
  void printAll();
  void printTree();
  void printMetrics();
  void printCheck();
  // Farewell on every run not finished.
  void releaseAll(ExitCode code);
  std::vector<Run*> runs() const;

  CtlOptions m_options;
  Passwords m_passwords;
  std::FILE* m_out;
  std::FILE* m_err;
  const AuditTrail* m_audit;
  std::vector<std::unique_ptr<Host>> m_hosts;
  std::optional<int> m_failure;  // the status of the first run that failed
  std::optional<PluginState> m_check;
  std::unique_ptr<QSaveFile> m_textfile;  // metrics --textfile: written in full, then put in place
  bool m_printed = false;
  bool m_finished = false;
};
