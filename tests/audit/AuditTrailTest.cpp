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

AuditOptions at(const QString& path) {
  AuditOptions options;
  options.path = path;
  return options;
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
  AuditOptions options = at(dir.filePath("audit.jsonl"));
  options.maxBytes = 1;
  options.keep = INT_MAX;
  const AuditTrail trail(options);
  std::string error;
  for (const char* name : {"L1", "L2", "L3"}) ASSERT_TRUE(trail.write(startAction(name), &error)) << error;
  EXPECT_TRUE(linesOf(options.path + ".2").value(0).contains("LINE L1"));
}

TEST(AuditTrail, ARecordCutShortByTheFileSizeLimitIsTakenBackAndReported) {
  QTemporaryDir dir;
  const AuditTrail trail(at(dir.filePath("audit.jsonl")));
  std::string error;
  ASSERT_TRUE(trail.write(startAction("L1"), &error)) << error;
  const QByteArray before = bytesOf(dir.filePath("audit.jsonl"));
  rlimit old{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
  rlimit small = old;
  small.rlim_cur = static_cast<rlim_t>(before.size() + 10);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const bool written = trail.write(startAction("L2"), &error);
  setrlimit(RLIMIT_FSIZE, &old);
  EXPECT_FALSE(written);
  EXPECT_NE(error.find("File too large"), std::string::npos) << error;
  EXPECT_EQ(bytesOf(dir.filePath("audit.jsonl")), before);
}

TEST(AuditTrail, ARecordAfterATornLastLineStartsOnALineOfItsOwn) {
  QTemporaryDir dir;
  QFile torn(dir.filePath("audit.jsonl"));
  ASSERT_TRUE(torn.open(QIODevice::WriteOnly) && torn.write("{\"time\"") == 7);
  torn.close();
  std::string error;
  ASSERT_TRUE(AuditTrail(at(torn.fileName())).write(startAction("L1"), &error)) << error;
  const QStringList lines = linesOf(torn.fileName());
  ASSERT_EQ(lines.size(), 2);
  EXPECT_EQ(QJsonDocument::fromJson(lines[1].toUtf8()).object()["object"].toString(), "LINE L1");
}

TEST(AuditTrail, APathThatIsNoRegularFileIsRefusedWithoutWaitingOnItOrFollowingIt) {
  QTemporaryDir dir;
  const QByteArray fifo = dir.filePath("fifo").toLocal8Bit(), link = dir.filePath("link").toLocal8Bit(),
                   dangling = dir.filePath("dangling").toLocal8Bit();
  QFile target(dir.filePath("target"));
  ASSERT_TRUE(target.open(QIODevice::WriteOnly) && target.write("kept\n") == 5);
  target.close();
  ASSERT_EQ(::mkfifo(fifo.constData(), 0600), 0);
  ASSERT_EQ(::symlink("target", link.constData()), 0);
  ASSERT_EQ(::symlink("missing", dangling.constData()), 0);
  for (const QByteArray& path : {fifo, link, dangling}) {
    std::string error;
    EXPECT_FALSE(AuditTrail(at(QString::fromLocal8Bit(path))).write(startAction("L1"), &error)) << path.constData();
  }
  EXPECT_EQ(bytesOf(target.fileName()), "kept\n");
  EXPECT_FALSE(QFile::exists(dir.filePath("missing")));
}

}  // namespace
