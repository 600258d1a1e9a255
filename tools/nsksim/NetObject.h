// Plain data of the simulated XPNET network: one process, station or line of
// a PATHMON with its status. The Network owns every object; sessions refer to
// them by kind and index.
#pragma once

#include <QByteArray>

enum class ObjectKind { Process, Station, Line };

enum class ObjectStatus { Started, Starting, Stopped, Abnormal };

struct NetObject {
  QByteArray name;
  QByteArray lineName;     // stations: the line they use
  QByteArray processName;  // stations and lines: the owning process
  ObjectStatus status = ObjectStatus::Started;
  // Set by START: the object shows STARTED from its next status query on.
  bool startPending = false;
};

QByteArray statusWord(ObjectStatus status);
bool statusFromWord(const QByteArray& word, ObjectStatus* status);
QByteArray kindWord(ObjectKind kind);
