// The cost the audit trail adds to one operator action: the record's JSON
// line alone, and the whole write (open, append, flush, sync to disk, with
// rotation at the default size). The file lies in a folder made in the
// current directory, so run it on the disk the trail will live on.
#include <benchmark/benchmark.h>

#include <QDir>
#include <QTemporaryDir>

#include "audit/AuditLine.h"
#include "audit/AuditTrail.h"

namespace {

ncp::OperatorAction stopAction() {
  ncp::OperatorAction action;
  action.kind = ncp::ActionKind::Stop;
  action.outcome = ncp::ActionOutcome::Accepted;
  action.time = std::chrono::system_clock::now();
  action.host = "nsk1.example.net:2323";
  action.taclUser = "OPS.OPER";
  action.pathmon = "$PM01";
  action.ncpUser = "NCPOPER";
  action.object = "LINE LTCP01";
  action.command = "STOP LINE LTCP01";
  action.answer = "LINE \\KORVDEMO.$PM01.LTCP01 STOPPED";
  return action;
}

void BM_AuditLine(benchmark::State& state) {
  const ncp::OperatorAction action = stopAction();
  for (auto _ : state) benchmark::DoNotOptimize(audit::auditLine(action, "oper1", "ncpctl"));
}
BENCHMARK(BM_AuditLine);

void BM_AuditWrite(benchmark::State& state) {
  QTemporaryDir dir(QDir::current().filePath("audit-bench-XXXXXX"));
  AuditOptions options;
  options.path = dir.filePath("audit.jsonl");
  options.program = "ncpctl";
  const AuditTrail trail(options);
  const ncp::OperatorAction action = stopAction();
  std::string error;
  for (auto _ : state) {
    if (!trail.write(action, &error)) state.SkipWithError(error.c_str());
  }
}
BENCHMARK(BM_AuditWrite)->Unit(benchmark::kMicrosecond);

}  // namespace
