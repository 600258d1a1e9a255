#include "Layouts.h"

namespace Layouts {

QByteArray pad(const QByteArray& text, int width) { return text.leftJustified(width, ' ', true); }

QByteArray qualified(const QByteArray& system, const QByteArray& pathmon, const QByteArray& name) {
  return "\\" + system + "." + pathmon + "." + name;
}

QByteArray serviceMenuBanner(const QByteArray& system) {
  return "\r\n"
         "        HP NonStop(TM) Server   \\" +
         system +
         "\r\n"
         "        Korvanedrestolin host simulator (nsksim)\r\n"
         "        Unauthorized access is prohibited.\r\n"
         "\r\n";
}

QByteArray serviceMenu() {
  return "  Available Services:\r\n"
         "\r\n"
         "     TACL      TACL command interpreter\r\n"
         "     EXIT      Close this connection\r\n"
         "\r\n"
         "Enter Choice> ";
}

QByteArray taclLogonBanner(const QByteArray& user) {
  return "Last Logon: 07 DEC 2026, 17:02\r\n"
         "TACL (T9205H01 - 30JUL2026), Operating System J06, Release J06.23.00\r\n"
         "Logged on as " +
         user + "\r\n";
}

QByteArray ncpcomBanner(const QByteArray& system, const QByteArray& pathmon) {
  return "BASE24 NCPCOM - T7305G06 - NETWORK CONTROL PROCESS\r\n"
         "CONNECTED TO \\" +
         system + "." + pathmon + "\r\n";
}

QByteArray ncpcomPrompt(const QByteArray& pathmon) { return "NCPCOM " + pathmon + " 2 > "; }

QByteArray ncpLogonLine(const QByteArray& user, bool accepted) {
  // "USER " and the user in 16 columns, "SECURITY LEVEL: " puts the level in column 31.
  const QByteArray head = "USER " + pad(user, 9) + " SECURITY LEVEL ";
  return head + (accepted ? "1  LOGON ACCEPTED" : "0  LOGON REJECTED, INVALID USER OR PASSWORD");
}

QByteArray pathmonHeader() {
  return pad("Process", 12) + pad("Pri", 4) + pad("PFR", 4) + pad("%WT", 4) + pad("Userid", 9) + pad("Cpu,Pin", 9) +
         pad("Program file", 24) + "Hometerm";
}

QByteArray pathmonLine(const QByteArray& name, int ordinal) {
  const QByteArray cpuPin = QByteArray::number(ordinal % 4) + "," + QByteArray::number(210 + 17 * ordinal);
  return pad(name, 9) + "B" + "  " + pad("150", 4) + pad("", 4) + pad("001", 4) + pad("255,255", 9) + pad(cpuPin, 9) +
         pad("$SYSTEM.SYSTEM.PATHMON", 24) + "$ZHOME";
}

QByteArray statusTitle(ObjectKind kind, const QByteArray& what, const QByteArray& system, const QByteArray& pathmon) {
  return "XPNET STATUS " + kindWord(kind) + " " + what + "    ON \\" + system + "." + pathmon;
}

QByteArray statusHeader(ObjectKind kind) {
  QByteArray extra;
  switch (kind) {
    case ObjectKind::Process:
      extra = "CPU,PIN  PRI";
      break;
    case ObjectKind::Station:
      extra = pad("LINE", 16) + " PROCESS";
      break;
    case ObjectKind::Line:
      extra = "PROCESS";
      break;
  }
  return "   " + pad(kindWord(kind) + " NAME", 35) + " " + pad("TYPE", 7) + pad("STATUS", 9) + " " + extra;
}

QByteArray statusRule() {
  return "   " + QByteArray(35, '-') + " " + QByteArray(6, '-') + " " + QByteArray(8, '-') + "  " + QByteArray(16, '-');
}

QByteArray statusLine(ObjectKind kind, const QByteArray& qualifiedName, ObjectStatus status, const NetObject& object,
                      int ordinal) {
  QByteArray extra;
  switch (kind) {
    case ObjectKind::Process:
      extra = pad(QByteArray::number(ordinal % 4) + "," + QByteArray::number(300 + ordinal), 8) + " 160";
      break;
    case ObjectKind::Station:
      extra = pad(object.lineName, 16) + " " + object.processName;
      break;
    case ObjectKind::Line:
      extra = object.processName;
      break;
  }
  const QByteArray type = kind == ObjectKind::Process ? "XPR" : "TCPIP";
  return "   " + pad(qualifiedName, 35) + " " + pad(type, 7) + pad(statusWord(status), 9) + " " + extra;
}

QByteArray infoTitle(const QByteArray& what, const QByteArray& system, const QByteArray& pathmon) {
  return "XPNET INFO STATION " + what + "    ON \\" + system + "." + pathmon;
}

QByteArray infoHeader() {
  return "   " + pad("STATION NAME", 35) + " " + pad("PROTO", 7) + pad("LINE", 16) + " " + pad("PROCESS", 16) +
         " AUTOSTART";
}

QByteArray infoRule() {
  return "   " + QByteArray(35, '-') + " " + QByteArray(6, '-') + " " + QByteArray(16, '-') + " " +
         QByteArray(16, '-') + " " + QByteArray(9, '-');
}

QByteArray infoLine(const QByteArray& qualifiedName, const NetObject& station) {
  return " E " + pad(qualifiedName, 35) + " " + pad("TCPIP", 7) + pad(station.lineName, 16) + " " +
         pad(station.processName, 16) + " YES";
}

}  // namespace Layouts
