// A small network of the test's own, written as an nsksim --network file, so
// that ncpctl's output can be checked against what the simulator serves:
// statuses of every kind, a line shared by two stations, a second PATHMON
// with objects and a third one without.
#pragma once

#include <QString>
#include <string>
#include <vector>

namespace ctltest {

struct TestObject {
  std::string name;
  std::string status;   // the host's word: STARTED, STARTING, STOPPED, ABNORMAL
  std::string process;  // stations and lines
  std::string line;     // stations
};

struct TestPathmon {
  std::string name;
  std::vector<TestObject> processes, lines, stations;
};

struct TestNetwork {
  std::string system;
  std::vector<TestPathmon> pathmons;

  static TestNetwork sample();
  // Writes the network file; returns its path (in a directory kept for the run).
  QString writeFile() const;
  const TestObject* line(const TestPathmon& pm, const std::string& name) const;
};

}  // namespace ctltest
