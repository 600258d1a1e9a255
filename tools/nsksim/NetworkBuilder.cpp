#include "NetworkBuilder.h"

#include <QFile>
#include <QList>
#include <QSet>
#include <algorithm>

namespace {

// Every qualified name \SYSTEM.$PATHMON.OBJECT must fit the 35 columns of the
// listings, and line and process names the 16 columns of INFO STATION.
constexpr int kMaxObjectName = 16;
constexpr int kMaxPathmonName = 9;
constexpr int kMaxQualified = 35;
// Statements are short; a longer line is refused whole rather than read in
// pieces, which would turn the rest of a long comment into statements.
constexpr qint64 kMaxLineBytes = 64 * 1024;

NetObject object(const char* name, ObjectStatus status, const char* process = "", const char* line = "") {
  NetObject o;
  o.name = name;
  o.status = status;
  o.processName = process;
  o.lineName = line;
  return o;
}

bool validName(const QByteArray& name) {
  if (name.isEmpty() || name.size() > kMaxObjectName) return false;
  return std::all_of(name.begin(), name.end(), [](char c) {
    const auto u = static_cast<unsigned char>(c);
    // Control characters are allowed: hosts that put them into names are
    // served as they are.
    return u != 0 && u != ' ' && u < 127 && c != '.' && c != '"' && c != ',';
  });
}

}  // namespace

namespace NetworkBuilder {

Network demo() {
  using S = ObjectStatus;
  Network net;
  net.systemName = "KORVDEMO";

  Pathmon pm01;
  pm01.name = "$PM01";
  pm01.processes = {object("TCPIP1", S::Started), object("TCPIP2", S::Started), object("X25P01", S::Stopped),
                    object("ATMDRV", S::Starting), object("POSDRV", S::Abnormal)};
  pm01.lines = {object("LTCP01", S::Started, "TCPIP1"),  object("LTCP02", S::Starting, "TCPIP2"),
                object("LTCP03", S::Stopped, "TCPIP2"),  object("LX2501", S::Abnormal, "X25P01"),
                object("LATM01", S::Starting, "ATMDRV"), object("LPOS01", S::Abnormal, "POSDRV"),
                object("LPOS02", S::Stopped, "POSDRV")};
  // ATM001 and ATM002 share the line LTCP01.
  pm01.stations = {object("ATM001", S::Started, "TCPIP1", "LTCP01"),  object("ATM002", S::Starting, "TCPIP1", "LTCP01"),
                   object("POS001", S::Started, "TCPIP2", "LTCP02"),  object("POS002", S::Stopped, "TCPIP2", "LTCP03"),
                   object("X25S01", S::Abnormal, "X25P01", "LX2501"), object("ATM101", S::Starting, "ATMDRV", "LATM01"),
                   object("POS101", S::Abnormal, "POSDRV", "LPOS01"), object("POS102", S::Stopped, "POSDRV", "LPOS02")};

  Pathmon pm02;
  pm02.name = "$PM02";
  pm02.processes = {object("HOSTIF1", S::Started)};
  pm02.lines = {object("LHOST1", S::Started, "HOSTIF1")};
  pm02.stations = {object("HOST01", S::Started, "HOSTIF1", "LHOST1")};

  Pathmon xpnt;
  xpnt.name = "$XPNT";

  net.pathmons = {pm01, pm02, xpnt};
  net.buildIndex();
  return net;
}

Network generated(int stations) {
  Network net;
  net.systemName = "KORVDEMO";
  const int count = std::max(stations, 0);
  const int processes = std::clamp((count + 49) / 50, 1, 300);

  Pathmon pm;
  pm.name = "$PM01";
  // A fixed pattern of statuses so every run and every client see the same network.
  const auto statusOf = [](int i) {
    switch (i % 20) {
      case 7:
        return ObjectStatus::Stopped;
      case 13:
        return ObjectStatus::Abnormal;
      case 17:
        return ObjectStatus::Starting;
      default:
        return ObjectStatus::Started;
    }
  };
  for (int p = 0; p < processes; ++p) {
    NetObject o;
    o.name = QByteArray("P") + QByteArray::number(p + 1).rightJustified(4, '0');
    o.status = statusOf(p + 3);
    pm.processes.push_back(o);
  }
  pm.stations.reserve(count);
  pm.lines.reserve(count);
  for (int i = 0; i < count; ++i) {
    const QByteArray number = QByteArray::number(i + 1).rightJustified(6, '0');
    const int owner = static_cast<int>(static_cast<long long>(i) * processes / std::max(count, 1));
    NetObject line;
    line.name = "L" + number;
    line.status = statusOf(i + 11);
    line.processName = pm.processes[owner].name;
    NetObject station;
    station.name = "S" + number;
    station.status = statusOf(i);
    station.processName = line.processName;
    station.lineName = line.name;
    pm.lines.push_back(line);
    pm.stations.push_back(station);
  }
  Pathmon pm02;
  pm02.name = "$PM02";
  Pathmon xpnt;
  xpnt.name = "$XPNT";
  net.pathmons = {pm, pm02, xpnt};
  net.buildIndex();
  return net;
}

bool fromFile(const QString& path, Network* network, QString* error) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    *error = QStringLiteral("%1: cannot open: %2").arg(path, file.errorString());
    return false;
  }
  Network net;
  net.systemName = "KORVDEMO";
  int lineNo = 0;
  const auto fail = [&](const QString& why) {
    *error = QStringLiteral("%1:%2: %3").arg(path).arg(lineNo).arg(why);
    return false;
  };
  // The names declared so far, so each statement is checked in constant time
  // (large networks have hundreds of thousands of objects): every PATHMON,
  // and the objects of the current one by kind.
  QSet<QByteArray> pathmonNames;
  QSet<QByteArray> declared[3];
  const auto known = [&](ObjectKind kind, const QByteArray& name) {
    return declared[static_cast<int>(kind)].contains(name);
  };
  // Room for the longest line, its line end and the NUL readLine() adds.
  QByteArray buffer(kMaxLineBytes + 2, Qt::Uninitialized);
  while (!file.atEnd()) {
    ++lineNo;
    const qint64 length = file.readLine(buffer.data(), buffer.size());
    if (length < 0) return fail(QStringLiteral("cannot read: %1").arg(file.errorString()));
    QByteArray text(buffer.constData(), length);
    if (!text.endsWith('\n') && !file.atEnd())
      return fail(QStringLiteral("line longer than %1 bytes").arg(kMaxLineBytes));
    const int hash = text.indexOf('#');
    if (hash >= 0) text.truncate(hash);
    const QList<QByteArray> words = text.simplified().toUpper().split(' ');
    if (words.isEmpty() || words[0].isEmpty()) continue;
    const QByteArray& keyword = words[0];
    if (keyword == "SYSTEM") {
      if (words.size() != 2) return fail("expected: system NAME");
      if (!net.pathmons.empty()) return fail("system must come before the first pathmon");
      QByteArray name = words[1];
      if (name.startsWith('\\')) name.remove(0, 1);
      if (!validName(name) || name.size() > 14) return fail("bad system name");
      net.systemName = name;
      continue;
    }
    if (keyword == "PATHMON") {
      if (words.size() != 2) return fail("expected: pathmon $NAME");
      const QByteArray& name = words[1];
      if (!name.startsWith('$') || !validName(name) || name.size() > kMaxPathmonName)
        return fail("bad PATHMON name (a $ and at most 8 more characters)");
      if (pathmonNames.contains(name)) return fail("PATHMON declared twice");
      pathmonNames.insert(name);
      for (QSet<QByteArray>& names : declared) names.clear();
      net.pathmons.push_back(Pathmon{name, {}, {}, {}});
      continue;
    }
    ObjectKind kind;
    int wanted;
    if (keyword == "PROCESS") {
      kind = ObjectKind::Process;
      wanted = 3;
    } else if (keyword == "LINE") {
      kind = ObjectKind::Line;
      wanted = 4;
    } else if (keyword == "STATION") {
      kind = ObjectKind::Station;
      wanted = 5;
    } else {
      return fail(QStringLiteral("unknown keyword %1").arg(QString::fromLatin1(keyword)));
    }
    if (net.pathmons.empty()) return fail("object before the first pathmon");
    if (words.size() != wanted) return fail("wrong number of words");
    Pathmon& pm = net.pathmons.back();
    NetObject o;
    o.name = words[1];
    if (!validName(o.name)) return fail("bad object name (1 to 16 characters, no blank, dot, comma or quote)");
    if (known(kind, o.name)) return fail("object declared twice");
    if (1 + net.systemName.size() + 1 + pm.name.size() + 1 + o.name.size() > kMaxQualified)
      return fail("qualified name longer than 35 characters");
    if (!statusFromWord(words[2], &o.status)) return fail("status must be STARTED, STARTING, STOPPED or ABNORMAL");
    if (kind != ObjectKind::Process) {
      o.processName = words[3];
      if (!known(ObjectKind::Process, o.processName)) return fail("unknown process");
    }
    if (kind == ObjectKind::Station) {
      o.lineName = words[4];
      if (!known(ObjectKind::Line, o.lineName)) return fail("unknown line");
    }
    declared[static_cast<int>(kind)].insert(o.name);
    pm.objects(kind).push_back(o);
  }
  if (net.pathmons.empty()) {
    lineNo = 0;
    return fail("no pathmon declared");
  }
  net.buildIndex();
  *network = std::move(net);
  return true;
}

}  // namespace NetworkBuilder
