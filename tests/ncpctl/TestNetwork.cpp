#include "TestNetwork.h"

#include <QFile>
#include <QTemporaryDir>

namespace ctltest {

TestNetwork TestNetwork::sample() {
  TestNetwork n;
  n.system = "TESTSYS";
  TestPathmon a;
  a.name = "$PA01";
  a.processes = {{"PROCA", "STARTED", "", ""}, {"PROCB", "STOPPED", "", ""}, {"PROCD", "ABNORMAL", "", ""}};
  a.lines = {{"LA1", "STARTED", "PROCA", ""},
             {"LA2", "ABNORMAL", "PROCA", ""},
             {"LB1", "STARTING", "PROCB", ""},
             {"LD1", "STOPPED", "PROCD", ""}};
  a.stations = {{"SA1", "STARTED", "PROCA", "LA1"},
                {"SA2", "STOPPED", "PROCA", "LA1"},
                {"SA3", "STARTING", "PROCA", "LA2"},
                {"SB1", "ABNORMAL", "PROCB", "LB1"},
                {"SD1", "STARTED", "PROCD", "LD1"}};
  TestPathmon b;
  b.name = "$PA02";
  b.processes = {{"PROCC", "STARTING", "", ""}};
  b.lines = {{"LC1", "STOPPED", "PROCC", ""}};
  b.stations = {{"SC1", "STARTED", "PROCC", "LC1"}};
  TestPathmon c;
  c.name = "$PA03";
  n.pathmons = {a, b, c};
  return n;
}

QString TestNetwork::writeFile() const {
  static QTemporaryDir dir;
  static int counter = 0;
  const QString path = dir.filePath(QStringLiteral("network-%1.txt").arg(++counter));
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return {};
  std::string text = "system " + system + "\n";
  for (const auto& pm : pathmons) {
    text += "pathmon " + pm.name + "\n";
    for (const auto& p : pm.processes) text += "process " + p.name + " " + p.status + "\n";
    for (const auto& l : pm.lines) text += "line " + l.name + " " + l.status + " " + l.process + "\n";
    for (const auto& s : pm.stations) {
      text += "station " + s.name + " " + s.status + " " + s.process + " " + s.line + "\n";
    }
  }
  file.write(text.data(), static_cast<qint64>(text.size()));
  return path;
}

const TestObject* TestNetwork::line(const TestPathmon& pm, const std::string& name) const {
  for (const auto& l : pm.lines) {
    if (l.name == name) return &l;
  }
  return nullptr;
}

}  // namespace ctltest
