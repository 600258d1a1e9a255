#include "NetObject.h"

QByteArray statusWord(ObjectStatus status) {
  switch (status) {
    case ObjectStatus::Started:
      return "STARTED";
    case ObjectStatus::Starting:
      return "STARTING";
    case ObjectStatus::Stopped:
      return "STOPPED";
    case ObjectStatus::Abnormal:
      return "ABNORMAL";
  }
  return "ABNORMAL";
}

bool statusFromWord(const QByteArray& word, ObjectStatus* status) {
  const QByteArray w = word.toUpper();
  for (ObjectStatus s :
       {ObjectStatus::Started, ObjectStatus::Starting, ObjectStatus::Stopped, ObjectStatus::Abnormal}) {
    if (w == statusWord(s)) {
      *status = s;
      return true;
    }
  }
  return false;
}

QByteArray kindWord(ObjectKind kind) {
  switch (kind) {
    case ObjectKind::Process:
      return "PROCESS";
    case ObjectKind::Station:
      return "STATION";
    case ObjectKind::Line:
      return "LINE";
  }
  return "PROCESS";
}
