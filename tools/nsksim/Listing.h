// One NCPCOM listing (STATUS PROCESS|STATION|LINE, INFO STATION) produced a line
// at a time, so a listing of a large generated network is never held whole in
// memory and each object's status is read at the moment its line goes out.
// Refers to the shared Network, which outlives every session.
#pragma once

#include <QByteArray>

#include "Network.h"

class Listing {
 public:
  // single is the object's index in its PATHMON, or -1 for every object.
  static Listing status(Network& network, int pathmon, ObjectKind kind, int single);
  static Listing stationInfo(Network& network, int pathmon, int single);

  // The next line without its line end; false when the listing is complete.
  bool next(QByteArray* line);

 private:
  Listing(Network& network, int pathmon, ObjectKind kind, bool info, int single);
  QByteArray objectLine(size_t index);
  QByteArray totalLine() const;

  Network* m_network;
  int m_pathmon;
  ObjectKind m_kind;
  bool m_info;
  int m_single;
  int m_phase = 0;  // 0..3 head lines, 4 objects, 5 blank, 6 total, 7 done
  size_t m_next = 0;
  int m_counts[4] = {0, 0, 0, 0};
};
