// The audit file without a host: what one record line holds, rotation at
// the size limit keeping the last files, a file that cannot be written or is
// no regular file, and records kept whole when a write fails or the file's
// last line is torn.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <climits>
#include <functional>

#include "audit/AuditLine.h"
#include "audit/AuditTrail.h"

namespace {

ncp::OperatorAction startAction(const std::string& name) {
  ncp::OperatorAction action;
  action.kind = ncp::ActionKind::Start;
  action.outcome = ncp::ActionOutcome::Refused;
  action.time = std::chrono::system_clock::now();
  action.host = "telnets://nsk1:992";
  action.transport = TransportKind::TelnetTls;
  action.taclUser = "OPS.OPER";
  action.pathmon = "$PM01";
  action.ncpUser = "NCPOPER";
  action.object = "LINE " + name;
  action.command = "START LINE " + name;
  action.answer = "*** ERROR: \xC4RGER\x01";  // Latin-1 and a control character from the host
  return action;
}

QByteArray bytesOf(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList linesOf(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
}

TEST(AuditLine, OneJsonObjectWithUtcMillisecondsAndNullForWhatDoesNotApply) {
  ncp::OperatorAction connect;
  connect.host = "nsk1:2323";
  connect.taclUser = "OPS.OPER";
  connect.outcome = ncp::ActionOutcome::Failed;
  const std::string line = audit::auditLine(connect, "oper1", "ncpctl");
  EXPECT_EQ(line.find('\n'), std::string::npos);
  const QJsonObject o = QJsonDocument::fromJson(QByteArray::fromStdString(line)).object();
  EXPECT_TRUE(QRegularExpression(R"(^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}Z$)").match(o["time"].toString()).hasMatch())
      << o["time"].toString().toStdString();
  EXPECT_EQ(o["os_user"].toString(), "oper1");
  EXPECT_EQ(o["program"].toString(), "ncpctl");
  EXPECT_EQ(o["transport"].toString(), "telnet");
  EXPECT_EQ(o["action"].toString(), "connect");
  EXPECT_EQ(o["outcome"].toString(), "failed");
  for (const char* none : {"pathmon", "ncp_user", "object", "command", "answer"}) EXPECT_TRUE(o[none].isNull()) << none;

  const QJsonObject start =
      QJsonDocument::fromJson(QByteArray::fromStdString(audit::auditLine(startAction("L1"), "oper1", "window")))
          .object();
  EXPECT_EQ(start["transport"].toString(), "telnets");
  EXPECT_EQ(start["answer"].toString(), QString::fromUtf8("*** ERROR: \xC3\x84RGER\x01"));
}

TEST(AuditTrail, RotatesPastTheSizeLimitKeepingTheLastFilesWholeAndPrivate) {
  QTemporaryDir dir;
  AuditOptions options;
  options.path = dir.filePath("trail/audit.jsonl");
  options.keep = 2;
  options.maxBytes = static_cast<int64_t>(audit::auditLine(startAction("L1"), "x", "ncpctl").size()) + 100;
  const AuditTrail trail(options);
  std::string error;
  ASSERT_TRUE(trail.open(&error)) << error;
  for (const char* name : {"L1", "L2", "L3", "L4", "L5"}) ASSERT_TRUE(trail.write(startAction(name), &error)) << error;

  // One record a file: the newest in the file itself, the two before it kept.
  const std::vector<std::pair<QString, QString>> files = {
      {options.path, "L5"}, {options.path + ".1", "L4"}, {options.path + ".2", "L3"}};
  for (const auto& [path, name] : files) {
    const QStringList lines = linesOf(path);
    ASSERT_EQ(lines.size(), 1) << path.toStdString();
    EXPECT_EQ(QJsonDocument::fromJson(lines[0].toUtf8()).object()["object"].toString(), "LINE " + name);
    struct stat info {};
    ASSERT_EQ(stat(path.toLocal8Bit().constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u) << path.toStdString();
  }
  EXPECT_FALSE(QFile::exists(options.path + ".3"));
}

TEST(AuditTrail, AFileThatCannotBeWrittenIsReportedWithItsPath) {
  QTemporaryDir dir;
  QFile plain(dir.filePath("plain"));
  ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
  plain.close();
  AuditOptions options;
  // Under a plain file: no folder can be made there, not even by root.
  options.path = dir.filePath("plain/audit.jsonl");
  const AuditTrail trail(options);
  std::string error;
  EXPECT_FALSE(trail.open(&error));
  EXPECT_NE(error.find(options.path.toStdString()), std::string::npos) << error;
  error.clear();
  EXPECT_FALSE(trail.write(startAction("L1"), &error));
  EXPECT_NE(error.find("cannot write the audit file"), std::string::npos) << error;
}

TEST(AuditTrail, AHugeKeepLooksOnlyAtTheRotatedFilesThere) {
  QTemporaryDir dir;
  AuditOptions options;
  options.path = dir.filePath("audit.jsonl");
  options.keep = INT_MAX;
  options.maxBytes = 1;
  const AuditTrail trail(options);
  std::string error;
  for (const char* name : {"L1", "L2", "L3"}) ASSERT_TRUE(trail.write(startAction(name), &error)) << error;
  for (const auto& [path, name] :
       {std::pair{options.path, "L3"}, {options.path + ".1", "L2"}, {options.path + ".2", "L1"}})
    EXPECT_TRUE(linesOf(path).value(0).contains(QString("LINE ") + name)) << path.toStdString();
}

TEST(AuditTrail, ARecordCutShortByTheFileSizeLimitIsTakenBackAndReported) {
  QTemporaryDir dir;
  AuditOptions options;
  options.path = dir.filePath("audit.jsonl");
  const AuditTrail trail(options);
  std::string error;
  ASSERT_TRUE(trail.write(startAction("L1"), &error)) << error;
  const QByteArray before = bytesOf(options.path);

  rlimit old{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
  rlimit small = old;
  small.rlim_cur = static_cast<rlim_t>(before.size() + 10);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const bool written = trail.write(startAction("L2"), &error);
  setrlimit(RLIMIT_FSIZE, &old);

  EXPECT_FALSE(written);
  EXPECT_NE(error.find("File too large"), std::string::npos) << error;
  EXPECT_EQ(bytesOf(options.path), before);
}

TEST(AuditTrail, ARecordAfterATornLastLineStartsOnALineOfItsOwn) {
  QTemporaryDir dir;
  AuditOptions options;
  options.path = dir.filePath("audit.jsonl");
  QFile torn(options.path);
  ASSERT_TRUE(torn.open(QIODevice::WriteOnly));
  torn.write("{\"time\"");
  torn.close();
  std::string error;
  ASSERT_TRUE(AuditTrail(options).write(startAction("L1"), &error)) << error;
  const QStringList lines = linesOf(options.path);
  ASSERT_EQ(lines.size(), 2);
  EXPECT_EQ(lines[0], "{\"time\"");
  EXPECT_EQ(QJsonDocument::fromJson(lines[1].toUtf8()).object()["object"].toString(), "LINE L1");
}

// What stands at the audit path, made in dir; target is a file the path
// leads to, which must stay as it was (missing stays missing).
struct NotAFile {
  const char* name;
  std::function<QString(const QTemporaryDir& dir)> make;
  const char* target;
};

void PrintTo(const NotAFile& row, std::ostream* out) { *out << row.name; }

class AuditPath : public ::testing::TestWithParam<NotAFile> {};

TEST_P(AuditPath, ThatIsNoRegularFileIsRefusedWithoutWaitingOrFollowingIt) {
  QTemporaryDir dir;
  const QString target = GetParam().target ? dir.filePath(GetParam().target) : QString();
  const QString path = GetParam().make(dir);
  ASSERT_FALSE(path.isEmpty());
  const bool existed = !target.isEmpty() && QFile::exists(target);
  const QByteArray before = existed ? bytesOf(target) : QByteArray();
  AuditOptions options;
  options.path = path;
  const AuditTrail trail(options);
  std::string error;
  EXPECT_FALSE(trail.open(&error));
  EXPECT_FALSE(trail.write(startAction("L1"), &error));
  EXPECT_NE(error.find("cannot write the audit file"), std::string::npos) << error;
  if (target.isEmpty()) return;
  EXPECT_EQ(QFile::exists(target), existed);
  EXPECT_EQ(bytesOf(target), before);
}

QString linkTo(const QTemporaryDir& dir, const char* target) {
  const QString link = dir.filePath("audit.jsonl");
  return ::symlink(target, link.toLocal8Bit().constData()) == 0 ? link : QString();
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, AuditPath,
    ::testing::Values(NotAFile{"Fifo",
                               [](const QTemporaryDir& dir) {
                                 const QString fifo = dir.filePath("audit.jsonl");
                                 return ::mkfifo(fifo.toLocal8Bit().constData(), 0600) == 0 ? fifo : QString();
                               },
                               nullptr},
                      NotAFile{"SymbolicLinkToAFile",
                               [](const QTemporaryDir& dir) {
                                 QFile file(dir.filePath("elsewhere"));
                                 if (!file.open(QIODevice::WriteOnly)) return QString();
                                 file.write("kept\n");
                                 return linkTo(dir, "elsewhere");
                               },
                               "elsewhere"},
                      NotAFile{"DanglingSymbolicLink", [](const QTemporaryDir& dir) { return linkTo(dir, "missing"); },
                               "missing"},
                      NotAFile{"Device", [](const QTemporaryDir&) { return QString("/dev/null"); }, nullptr}),
    [](const ::testing::TestParamInfo<NotAFile>& info) { return std::string(info.param.name); });

}  // namespace
