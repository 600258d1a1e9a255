// The host's screen text: prompts, banners and the fixed-column lines of the
// TACL and NCPCOM listings. The console reads these by column, so every width
// here is part of the host's interface:
//   #mysystem         column 1 "\", the system name from column 2;
//   PATHMON listing   columns 1-9 the name, column 10 "B";
//   NCPCOM STATUS     column 4 "\", 4-38 \SYSTEM.$PATHMON.OBJECT, 47-55 status;
//   INFO STATION      column 2 "E", 4-38 station, 47-62 line, 63 blank,
//                     64-79 process.
#pragma once

#include <QByteArray>

#include "NetObject.h"

namespace Layouts {

// Left-justified in exactly width characters (cut when longer).
QByteArray pad(const QByteArray& text, int width);
QByteArray qualified(const QByteArray& system, const QByteArray& pathmon, const QByteArray& name);

QByteArray serviceMenuBanner(const QByteArray& system);
QByteArray serviceMenu();
QByteArray taclLogonBanner(const QByteArray& user);
QByteArray ncpcomBanner(const QByteArray& system, const QByteArray& pathmon);
QByteArray ncpcomPrompt(const QByteArray& pathmon);
// The answer to the NCP password: column 31 is "1" when accepted.
QByteArray ncpLogonLine(const QByteArray& user, bool accepted);

QByteArray pathmonHeader();
QByteArray pathmonLine(const QByteArray& name, int ordinal);

QByteArray statusTitle(ObjectKind kind, const QByteArray& what, const QByteArray& system, const QByteArray& pathmon);
QByteArray statusHeader(ObjectKind kind);
QByteArray statusRule();
QByteArray statusLine(ObjectKind kind, const QByteArray& qualifiedName, ObjectStatus status, const NetObject& object,
                      int ordinal);

QByteArray infoTitle(const QByteArray& what, const QByteArray& system, const QByteArray& pathmon);
QByteArray infoHeader();
QByteArray infoRule();
QByteArray infoLine(const QByteArray& qualifiedName, const NetObject& station);

}  // namespace Layouts
