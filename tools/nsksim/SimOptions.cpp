#include "SimOptions.h"

#include <QCommandLineParser>

namespace {

bool number(const QCommandLineParser& parser, const QString& name, qint64 min, qint64 max, qint64* value,
            QString* error) {
  if (!parser.isSet(name)) return true;
  bool ok = false;
  const qint64 n = parser.value(name).toLongLong(&ok);
  if (!ok || n < min || n > max) {
    *error = QStringLiteral("--%1 needs a number from %2 to %3").arg(name).arg(min).arg(max);
    return false;
  }
  *value = n;
  return true;
}

}  // namespace

bool SimOptions::parse(const QStringList& arguments, SimOptions* o, QString* error) {
  QCommandLineParser parser;
  parser.setApplicationDescription("nsksim: a stand-in HP NonStop host (telnet, TACL, NCPCOM) on loopback");
  parser.addHelpOption();
  parser.addVersionOption();
  const auto add = [&](const char* name, const char* help, const char* value = nullptr) {
    if (value) {
      parser.addOption(QCommandLineOption(name, help, value));
    } else {
      parser.addOption(QCommandLineOption(name, help));
    }
  };
  add("bind", "Listen on ADDRESS, IPv4 or IPv6 (default 127.0.0.1).", "ADDRESS");
  add("port", "TCP port; 0 picks a free one (default 0). The port is printed first.", "N");
  add("tls-cert", "Also serve telnet over TLS with the certificate (PEM) in FILE; needs --tls-key.", "FILE");
  add("tls-key", "The private key (PEM) of --tls-cert.", "FILE");
  add("tls-port", "TLS port; 0 picks a free one (default 0). The port is printed second.", "N");
  add("transcript", "Append received command lines and negotiation replies to FILE.", "FILE");
  add("network", "Serve the network described in FILE instead of the demo network.", "FILE");
  add("stations", "Serve a generated network of N stations.", "N");
  add("page", "Lines per NCPCOM page before a MORE prompt; 0 = never (default 20).", "N");
  add("tacl-user", "TACL user (default OPS.OPER).", "USER");
  add("tacl-password", "TACL password (default secret1).", "PASSWORD");
  add("ncp-user", "NCP user (default NCPOPER).", "USER");
  add("ncp-password", "NCP password (default secret2).", "PASSWORD");
  add("accept-logons",
      "Accept the first N TACL logons (over all connections), then refuse every other one as with a wrong "
      "password.",
      "N");
  add("idle-timeout", "Close a client idle for SECONDS; 0 = never (default 600).", "SECONDS");
  add("chunk", "Write output in pieces of N bytes.", "N");
  add("chunk-delay-ms", "Wait D milliseconds between pieces (with --chunk).", "D");
  add("close-on",
      "Close the connection when a line starting with TEXT arrives (or: banner, menu, iac, sb, listing, more).",
      "TEXT");
  add("reset-on",
      "Reset the connection when a line starting with TEXT arrives (or: banner, menu, iac, sb, listing, more).",
      "TEXT");
  add("silent-on", "Stop answering once a line starting with TEXT arrives.", "TEXT");
  add("flood", "Send BYTES of unsolicited text lines after the menu.", "BYTES");
  add("long-line", "Send one unsolicited line of BYTES bytes without a line end after the menu.", "BYTES");
  add("flood-on",
      "Send the --flood or --long-line between the echo of the first line starting with TEXT and its "
      "answer, instead of after the menu.",
      "TEXT");
  add("sprinkle", "Put telnet NOP, AYT, GA and NUL bytes into the output.");
  add("hostile-negotiation",
      "storm:N, mirror:N (a storm, and every refusal answered with the same refusal), oversized-sb:N or "
      "unterminated-sb:N before the menu.",
      "MODE");
  add("echo-passwords", "Echo password lines like a broken host.");
  add("bare-pages", "Page prompts without the trailing blank, and the empty answer line not echoed.");
  add("bare-more", "Page prompts of the four letters MORE and nothing after them.");
  add("ssh-host-key",
      "Also serve SSH with the host key in FILE on its own port, printed after the telnet port as \"ssh PORT\"; "
      "the TACL user and password log in and the session starts at the TACL prompt.",
      "FILE");
  add("ssh-port", "SSH port; 0 picks a free one (default 0).", "N");
  add("stdio",
      "Serve one session on standard input and output, starting at the TACL prompt (an SSH server's "
      "forced command); no listener.");
  add("refuse", "Answer START, STOP and DELIVER on objects named NAME with an error line (repeatable).", "NAME");

  if (!parser.parse(arguments)) {
    *error = parser.errorText();
    return false;
  }
  if (parser.isSet("help")) parser.showHelp(0);
  if (parser.isSet("version")) parser.showVersion();
  if (!parser.positionalArguments().isEmpty()) {
    *error = "unexpected argument: " + parser.positionalArguments().first();
    return false;
  }
  qint64 port = 0, stations = -1, page = o->pageLines, chunk = 0, delay = 0, flood = 0, longLine = 0;
  if (!number(parser, "port", 0, 65535, &port, error) || !number(parser, "stations", 0, 1000000, &stations, error) ||
      !number(parser, "page", 0, 1000000, &page, error) || !number(parser, "chunk", 1, 1 << 20, &chunk, error) ||
      !number(parser, "chunk-delay-ms", 0, 60000, &delay, error) ||
      !number(parser, "flood", 0, qint64(1) << 40, &flood, error) ||
      !number(parser, "long-line", 0, qint64(1) << 40, &longLine, error))
    return false;
  qint64 sshPort = 0;
  if (!number(parser, "ssh-port", 0, 65535, &sshPort, error)) return false;
  o->sshPort = static_cast<quint16>(sshPort);
  o->sshHostKey = parser.value("ssh-host-key");
  o->stdio = parser.isSet("stdio");
  qint64 acceptedLogons = o->acceptedLogons;
  if (!number(parser, "accept-logons", 0, 1000000, &acceptedLogons, error)) return false;
  o->acceptedLogons = static_cast<int>(acceptedLogons);
  qint64 idle = o->idleTimeoutSeconds;
  if (!number(parser, "idle-timeout", 0, 86400, &idle, error)) return false;
  o->idleTimeoutSeconds = static_cast<int>(idle);
  if (parser.isSet("flood") && parser.isSet("long-line")) {
    *error = "--flood and --long-line exclude each other";
    return false;
  }
  if (parser.isSet("bind") && !o->bind.setAddress(parser.value("bind"))) {
    *error = "--bind needs an IPv4 or IPv6 address";
    return false;
  }
  o->port = static_cast<quint16>(port);
  o->tlsCert = parser.value("tls-cert");
  o->tlsKey = parser.value("tls-key");
  if (o->tlsCert.isEmpty() != o->tlsKey.isEmpty()) {
    *error = "--tls-cert and --tls-key go together";
    return false;
  }
  qint64 tlsPort = 0;
  if (!number(parser, "tls-port", 0, 65535, &tlsPort, error)) return false;
  o->tlsPort = static_cast<quint16>(tlsPort);
  o->stations = static_cast<int>(stations);
  o->pageLines = static_cast<int>(page);
  o->chunk = static_cast<int>(chunk);
  o->chunkDelayMs = static_cast<int>(delay);
  o->flood = parser.isSet("long-line") ? longLine : flood;
  o->floodOneLine = parser.isSet("long-line");
  o->transcriptPath = parser.value("transcript");
  o->networkFile = parser.value("network");
  if (!o->networkFile.isEmpty() && o->stations >= 0) {
    *error = "--network and --stations exclude each other";
    return false;
  }
  const auto bytes = [&](const char* name, QByteArray* value) {
    if (parser.isSet(name)) *value = parser.value(name).toLatin1();
  };
  bytes("tacl-user", &o->taclUser);
  bytes("tacl-password", &o->taclPassword);
  bytes("ncp-user", &o->ncpUser);
  bytes("ncp-password", &o->ncpPassword);
  bytes("close-on", &o->closeOn);
  bytes("reset-on", &o->resetOn);
  bytes("silent-on", &o->silentOn);
  bytes("flood-on", &o->floodOn);
  o->sprinkle = parser.isSet("sprinkle");
  o->echoPasswords = parser.isSet("echo-passwords");
  o->barePages = parser.isSet("bare-pages");
  if (o->barePages) o->morePrompt = o->morePrompt.trimmed();
  if (parser.isSet("bare-more")) o->morePrompt = "MORE";
  for (const QString& name : parser.values("refuse")) o->refuse << name.toLatin1().toUpper();
  if (parser.isSet("hostile-negotiation")) {
    const QString mode = parser.value("hostile-negotiation");
    const QString kind = mode.section(':', 0, 0);
    bool ok = false;
    const int n = mode.section(':', 1).toInt(&ok);
    if (kind == "storm") {
      o->hostile = Hostile::Storm;
    } else if (kind == "mirror") {
      o->hostile = Hostile::Mirror;
    } else if (kind == "oversized-sb") {
      o->hostile = Hostile::OversizedSb;
    } else if (kind == "unterminated-sb") {
      o->hostile = Hostile::UnterminatedSb;
    } else {
      ok = false;
    }
    // Bounded so the simulator never holds more than a few megabytes for it.
    const int limit = o->hostile == Hostile::Storm || o->hostile == Hostile::Mirror ? 1000 : (1 << 20);
    if (!ok || n < 0 || n > limit) {
      *error =
          "--hostile-negotiation needs storm:N or mirror:N (N up to 1000), oversized-sb:N or unterminated-sb:N "
          "(N up to 1048576)";
      return false;
    }
    o->hostileCount = n;
  }
  return true;
}
