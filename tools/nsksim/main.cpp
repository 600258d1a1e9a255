// nsksim: a stand-in HP NonStop host. Listens for telnet on 127.0.0.1 (or the
// --bind address), prints the port it listens on as its first line of output
// (then the TLS port with --tls-cert, and "ssh PORT" with --ssh-host-key),
// and serves the TACL and NCPCOM dialogues of the console until it is
// killed; with --stdio it serves one session on standard input and output
// instead. See README.md for the options.
#include <QCoreApplication>
#include <csignal>
#include <cstdio>

#include "Network.h"
#include "NetworkBuilder.h"
#include "SimOptions.h"
#include "SimServer.h"
#include "SshServer.h"
#include "StdioSession.h"
#include "TlsFront.h"
#include "Transcript.h"

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QCoreApplication::setApplicationVersion(KORV_VERSION);
  // A client that vanishes while we write must not end the whole server.
  std::signal(SIGPIPE, SIG_IGN);

  SimOptions options;
  QString error;
  if (!SimOptions::parse(app.arguments(), &options, &error)) {
    std::fprintf(stderr, "nsksim: %s\n", qPrintable(error));
    return 2;
  }
  Network network;
  if (!options.networkFile.isEmpty()) {
    if (!NetworkBuilder::fromFile(options.networkFile, &network, &error)) {
      std::fprintf(stderr, "nsksim: %s\n", qPrintable(error));
      return 2;
    }
  } else if (options.stations >= 0) {
    network = NetworkBuilder::generated(options.stations);
  } else {
    network = NetworkBuilder::demo();
  }
  Transcript transcript;
  if (!options.transcriptPath.isEmpty() && !transcript.open(options.transcriptPath)) {
    std::fprintf(stderr, "nsksim: cannot open transcript %s\n", qPrintable(options.transcriptPath));
    return 2;
  }
  SimServer server({options, network, transcript});
  if (options.stdio) {
    if (!serveStdio(server, options)) {
      std::fprintf(stderr, "nsksim: cannot set up the session on standard input and output\n");
      return 1;
    }
    return app.exec();
  }
  if (!server.listen(options.bind, options.port)) {
    std::fprintf(stderr, "nsksim: cannot listen on %s port %u: %s\n", qPrintable(options.bind.toString()), options.port,
                 qPrintable(server.errorString()));
    return 1;
  }
  std::printf("%u\n", server.port());
  // The TLS side relays to the telnet listener, over loopback when that
  // listens on every address.
  QHostAddress backend = options.bind;
  if (backend == QHostAddress::Any || backend == QHostAddress::AnyIPv4) backend = QHostAddress::LocalHost;
  if (backend == QHostAddress::AnyIPv6) backend = QHostAddress::LocalHostIPv6;
  TlsFront tls(backend, server.port());
  if (!options.tlsCert.isEmpty()) {
    if (!tls.load(options.tlsCert, options.tlsKey, &error)) {
      std::fprintf(stderr, "nsksim: %s\n", qPrintable(error));
      return 2;
    }
    if (!tls.listen(options.bind, options.tlsPort)) {
      std::fprintf(stderr, "nsksim: cannot listen on %s port %u: %s\n", qPrintable(options.bind.toString()),
                   options.tlsPort, qPrintable(tls.errorString()));
      return 1;
    }
    std::printf("%u\n", tls.port());
  }
  SshServer ssh({options, network, transcript}, server);
  if (!options.sshHostKey.isEmpty()) {
    if (!ssh.listen(options.sshHostKey, options.bind, options.sshPort, &error)) {
      std::fprintf(stderr, "nsksim: cannot serve SSH: %s\n", qPrintable(error));
      return 1;
    }
    std::printf("ssh %u\n", ssh.port());
  }
  std::fflush(stdout);
  return app.exec();
}
