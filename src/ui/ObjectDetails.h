// ObjectDetails: what the parameter list beside the tree shows of the
// selected object: its type, status, PATHMON and parent, the stations and
// lines it carries by status, when a refresh last found its status changed
// and the host's last answer to a command on it.
#pragma once

#include <QDateTime>
#include <QString>
#include <utility>
#include <vector>

#include "ncp/TXPNetObjList.h"

// The name of the PATHMON the entry lies under (the node right under the
// host node); empty for none.
QString PathmonOf(const TXPNetObjList& registry, const ExtInfo& entry);

// Param and value rows. changedAt: invalid when no refresh found a change;
// lastAnswer: empty when no command on it was answered.
std::vector<std::pair<QString, QString>> ObjectDetails(const TXPNetObjList& registry, const ExtInfo& entry,
                                                       const QDateTime& changedAt, const QString& lastAnswer);
