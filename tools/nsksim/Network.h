// The simulated host's network: its system name and its PATHMONs with their
// processes, stations and lines. One Network is shared by every client, so a
// START or STOP from one connection shows in the listings of all of them.
// Built once at start-up (NetworkBuilder); objects are never added or removed
// afterwards, so indexes stay valid for the whole run.
#pragma once

#include <QByteArray>
#include <QHash>
#include <vector>

#include "NetObject.h"

struct Pathmon {
  QByteArray name;
  std::vector<NetObject> processes;
  std::vector<NetObject> stations;
  std::vector<NetObject> lines;

  std::vector<NetObject>& objects(ObjectKind kind);
  const std::vector<NetObject>& objects(ObjectKind kind) const;
};

class Network {
 public:
  QByteArray systemName;  // without the backslash, e.g. KORVDEMO
  std::vector<Pathmon> pathmons;
  // TACL logons accepted so far, over all connections.
  int acceptedLogons = 0;

  // Index of the PATHMON named (case-insensitive), or -1.
  int findPathmon(const QByteArray& name) const;
  // The object of that kind and name (case-insensitive), or nullptr.
  NetObject* find(int pathmon, ObjectKind kind, const QByteArray& name);
  // Must be called once the objects are in place.
  void buildIndex();

  // What a status query sees: a pending START has completed by now.
  static ObjectStatus queryStatus(NetObject& object);
  static void start(NetObject& object);
  static void stop(NetObject& object);

 private:
  std::vector<QHash<QByteArray, size_t>> m_index[3];
};
