// The session's data handling with a command running: echo stripping, line
// assembly, the prompt checks and the NCPCOM listing termination with its
// MORE pages, the completion handlers and the field rules the owner applies
// to every state event. Arbitrary host bytes arrive in arbitrary chunks on a
// session connected to a loopback peer that swallows what the session sends.
#include <QCoreApplication>
#include <QTcpServer>
#include <QTcpSocket>
#include <cstdlib>
#include <string>
#include <string_view>

#include "ChunkCutter.h"
#include "ncp/NcpParsing.h"
#include "ncp/TNCPTelnet.h"

namespace {

class FuzzSession : public TNCPTelnet {
 public:
  using TNSKTelnet::ClearCurrentLine;
  using TNSKTelnet::ResetCommands;
};

struct Harness {
  int argc = 1;
  char arg0[8] = "fuzz";
  char* argv[2] = {arg0, nullptr};
  QCoreApplication app{argc, argv};
  QTcpServer server;
  FuzzSession session;
  size_t events = 0;

  Harness() {
    if (!server.listen(QHostAddress::LocalHost)) std::abort();
    QObject::connect(&server, &QTcpServer::newConnection, [this] {
      while (QTcpSocket* peer = server.nextPendingConnection())
        QObject::connect(peer, &QTcpSocket::readyRead, peer, [peer] { peer->readAll(); });
    });
    session.OnNCPState = [this](const std::string& text) { applyFieldRules(text); };
    session.Logon("127.0.0.1:" + std::to_string(server.serverPort()), "OPS.OPER", "secret1");
    for (int i = 0; i < 1000 && !session.IsConnected(); ++i) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    if (!session.IsConnected()) std::abort();
    const char menu[] = "Enter Choice> ";
    session.MenuDataAvailable(&session, menu, static_cast<int>(sizeof(menu) - 1));
  }

  // What the window does with each event text.
  void applyFieldRules(const std::string& text) {
    ++events;
    std::string_view t(text);
    (void)ncp::hostName(t);
    (void)ncp::pathmonName(t);
    (void)ncp::objectName(t);
    (void)ncp::objectStatus(t);
    (void)ncp::stationLineName(t);
    (void)ncp::stationProcessName(t);
  }
};

Harness& harness() {
  static Harness h;
  return h;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Harness& h = harness();
  FuzzSession& s = h.session;
  s.ResetCommands();
  s.ClearCurrentLine();
  // A listing command is running, as during a load.
  s.GetNetObjects();

  ChunkCutter cutter(data, size);
  std::string_view chunk;
  std::string block;
  while (cutter.next(chunk)) {
    block.assign(chunk);  // the connection hands on a zero byte after the data
    s.SessionDataAvailable(&s, block.c_str(), static_cast<int>(block.size()));
    if (s.CurrentLine().size() > size) std::abort();
  }
  static unsigned runs = 0;
  if (++runs % 64 == 0) QCoreApplication::processEvents();
  return 0;
}
