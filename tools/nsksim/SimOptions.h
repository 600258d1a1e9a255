// Command-line options of nsksim: where it listens, which network it serves,
// the demo credentials, and the fault switches used by reliability tests.
// Parsed once in main(); read by the server and every client session.
#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QString>
#include <QStringList>

struct SimOptions {
  QHostAddress bind = QHostAddress(QHostAddress::LocalHost);
  quint16 port = 0;
  QString transcriptPath;
  QString networkFile;
  int stations = -1;  // -1: the demo network
  int pageLines = 20;
  QByteArray taclUser = "OPS.OPER";
  QByteArray taclPassword = "secret1";
  QByteArray ncpUser = "NCPOPER";
  QByteArray ncpPassword = "secret2";
  // TACL logons the host accepts over its whole run before it refuses every
  // other one as with a wrong password (a password changed meanwhile); -1: no end.
  int acceptedLogons = -1;
  // A client that sends nothing and is sent nothing for this long is closed; 0 = never.
  int idleTimeoutSeconds = 600;
  // telnets://: both set, a TLS listener on tlsPort (0: a free one) serves the
  // same dialogue.
  QString tlsCert;
  QString tlsKey;
  quint16 tlsPort = 0;

  // Fault switches.
  int chunk = 0;
  int chunkDelayMs = 0;
  QByteArray closeOn;
  QByteArray resetOn;
  QByteArray silentOn;
  qint64 flood = 0;
  bool floodOneLine = false;  // --long-line: the flood is one line without a line end
  QByteArray floodOn;         // empty: the flood follows the menu
  bool sprinkle = false;
  enum class Hostile { None, Storm, Mirror, OversizedSb, UnterminatedSb } hostile = Hostile::None;
  int hostileCount = 0;
  bool echoPasswords = false;
  bool barePages = false;  // the empty answer line at a page prompt not echoed
  // The page prompt: --bare-pages drops its trailing blank, --bare-more leaves "MORE".
  QByteArray morePrompt = "MORE (RETURN TO CONTINUE) ";
  QList<QByteArray> refuse;  // upper case: objects whose START, STOP and DELIVER fail

  // SSH: the server's host key (empty: no SSH listener), its port (0: a free one).
  QString sshHostKey;
  quint16 sshPort = 0;
  // One session on standard input and output, starting at the TACL prompt.
  bool stdio = false;

  // Fills the options from the arguments; false with a message on bad input.
  static bool parse(const QStringList& arguments, SimOptions* options, QString* error);
};
