#include "Network.h"

std::vector<NetObject>& Pathmon::objects(ObjectKind kind) {
  switch (kind) {
    case ObjectKind::Station:
      return stations;
    case ObjectKind::Line:
      return lines;
    case ObjectKind::Process:
      break;
  }
  return processes;
}

const std::vector<NetObject>& Pathmon::objects(ObjectKind kind) const {
  return const_cast<Pathmon*>(this)->objects(kind);
}

int Network::findPathmon(const QByteArray& name) const {
  const QByteArray wanted = name.toUpper();
  for (size_t i = 0; i < pathmons.size(); ++i) {
    if (pathmons[i].name.toUpper() == wanted) return static_cast<int>(i);
  }
  return -1;
}

void Network::buildIndex() {
  for (int k = 0; k < 3; ++k) {
    m_index[k].assign(pathmons.size(), {});
    for (size_t p = 0; p < pathmons.size(); ++p) {
      const auto& objs = pathmons[p].objects(static_cast<ObjectKind>(k));
      for (size_t i = 0; i < objs.size(); ++i) m_index[k][p].insert(objs[i].name.toUpper(), i);
    }
  }
}

NetObject* Network::find(int pathmon, ObjectKind kind, const QByteArray& name) {
  const auto& index = m_index[static_cast<int>(kind)];
  if (pathmon < 0 || static_cast<size_t>(pathmon) >= index.size()) return nullptr;
  const auto it = index[pathmon].constFind(name.toUpper());
  if (it == index[pathmon].constEnd()) return nullptr;
  return &pathmons[pathmon].objects(kind)[it.value()];
}

ObjectStatus Network::queryStatus(NetObject& object) {
  if (object.startPending) {
    object.startPending = false;
    object.status = ObjectStatus::Started;
  }
  return object.status;
}

void Network::start(NetObject& object) {
  object.status = ObjectStatus::Starting;
  object.startPending = true;
}

void Network::stop(NetObject& object) {
  object.status = ObjectStatus::Stopped;
  object.startPending = false;
}
