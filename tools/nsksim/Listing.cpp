#include "Listing.h"

#include "Layouts.h"

Listing::Listing(Network& network, int pathmon, ObjectKind kind, bool info, int single)
    : m_network(&network), m_pathmon(pathmon), m_kind(kind), m_info(info), m_single(single) {}

Listing Listing::status(Network& network, int pathmon, ObjectKind kind, int single) {
  return Listing(network, pathmon, kind, false, single);
}

Listing Listing::stationInfo(Network& network, int pathmon, int single) {
  return Listing(network, pathmon, ObjectKind::Station, true, single);
}

bool Listing::next(QByteArray* line) {
  const Pathmon& pm = m_network->pathmons[m_pathmon];
  const QByteArray what = m_single < 0 ? QByteArray("*") : pm.objects(m_kind)[m_single].name;
  const size_t count = m_single < 0 ? pm.objects(m_kind).size() : 1;
  switch (m_phase) {
    case 0:
      *line = m_info ? Layouts::infoTitle(what, m_network->systemName, pm.name)
                     : Layouts::statusTitle(m_kind, what, m_network->systemName, pm.name);
      break;
    case 1:
      line->clear();
      break;
    case 2:
      *line = m_info ? Layouts::infoHeader() : Layouts::statusHeader(m_kind);
      break;
    case 3:
      *line = m_info ? Layouts::infoRule() : Layouts::statusRule();
      break;
    case 4:
      if (m_next < count) {
        *line = objectLine(m_single < 0 ? m_next : static_cast<size_t>(m_single));
        ++m_next;
        return true;
      }
      m_phase = 5;
      [[fallthrough]];
    case 5:
      line->clear();
      break;
    case 6:
      *line = totalLine();
      break;
    default:
      return false;
  }
  ++m_phase;
  return true;
}

QByteArray Listing::objectLine(size_t index) {
  Pathmon& pm = m_network->pathmons[m_pathmon];
  NetObject& object = pm.objects(m_kind)[index];
  const QByteArray name = Layouts::qualified(m_network->systemName, pm.name, object.name);
  if (m_info) return Layouts::infoLine(name, object);
  const ObjectStatus status = Network::queryStatus(object);
  ++m_counts[static_cast<int>(status)];
  return Layouts::statusLine(m_kind, name, status, object, static_cast<int>(index));
}

QByteArray Listing::totalLine() const {
  const size_t count = m_single < 0 ? m_next : 1;
  const QByteArray plural = m_kind == ObjectKind::Process ? "ES" : "S";
  const QByteArray objects = QByteArray::number(count) + " " + kindWord(m_kind) + (count == 1 ? "" : plural);
  if (m_info) return "TOTAL " + objects;
  QByteArray text = "TOTAL " + objects + ":";
  for (ObjectStatus s :
       {ObjectStatus::Started, ObjectStatus::Starting, ObjectStatus::Stopped, ObjectStatus::Abnormal}) {
    text += " " + QByteArray::number(m_counts[static_cast<int>(s)]) + " " + statusWord(s);
    if (s != ObjectStatus::Abnormal) text += ",";
  }
  return text;
}
