// TlsStream against the openssl command's own TLS server (s_server, with a
// certificate the test pins): delivery of bytes already decrypted when a pause
// ends, and a connection cut without the host's close_notify. And against a
// host of the test's own (OpenSSL's server side over a loopback socket) that
// sends a fatal alert and keeps its socket open.
#include <gtest/gtest.h>
#include <openssl/ssl.h>

#include <QProcess>
#include <QRegularExpression>

#include "ScriptedPeer.h"
#include "support/EventLoop.h"
#include "support/TlsLab.h"
#include "transport/TlsChannel.h"
#include "transport/TlsStream.h"

using korvtest::waitUntil;

namespace {

class TlsStreamTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const korvtest::TlsFiles files = lab.selfSigned("peer");
    server.start("openssl",
                 {"s_server", "-accept", "127.0.0.1:0", "-cert", files.cert, "-key", files.key, "-naccept", "1"});
    // "ACCEPT 127.0.0.1:PORT" once it listens.
    const QRegularExpression accept("ACCEPT 127\\.0\\.0\\.1:(\\d+)");
    QString out;
    ASSERT_TRUE(waitUntil([&] {
      out += QString::fromLatin1(server.readAllStandardOutput());
      return accept.match(out).hasMatch();
    })) << out.toStdString();
    stream.SetTrust({{}, lab.pin(files.cert)});
    stream.OnSessionConnected = [this](TStream*, uint16_t e) { log.push_back("connected " + std::to_string(e)); };
    stream.OnSessionClosed = [this](TStream*, uint16_t e) { log.push_back("closed " + std::to_string(e)); };
    stream.Open("127.0.0.1", accept.match(out).captured(1).toStdString());
    ASSERT_TRUE(waitUntil([&] { return !log.empty(); }));
    ASSERT_EQ(log, std::vector<std::string>{"connected 0"});
  }
  void TearDown() override {
    server.kill();
    server.waitForFinished();
  }

  korvtest::TlsLab lab;
  QProcess server;
  TlsStream stream;
  std::vector<std::string> log;
  std::string received;
};

TEST_F(TlsStreamTest, BytesDecryptedBeforeAPauseAreDeliveredWhenItEnds) {
  // One byte per event, then a pause: the rest of the record waits inside the
  // stream, where no socket event will announce it again.
  stream.OnDataAvailable = [this](TStream* s, uint16_t) {
    char c;
    if (s->Receive(&c, 1) != 1) return;
    received += c;
    s->SetReadPaused(true);
  };
  server.write("a line of host output\n");
  ASSERT_TRUE(waitUntil([&] { return received == "a"; }));
  korvtest::processQueuedEvents();
  EXPECT_EQ(received, "a") << "nothing while paused";
  while (received.size() < 22) {
    const size_t before = received.size();
    stream.SetReadPaused(false);
    ASSERT_TRUE(waitUntil([&] { return received.size() > before; })) << received;
  }
  EXPECT_EQ(received, "a line of host output\n");
}

TEST_F(TlsStreamTest, ConnectionCutWithoutCloseNotifyEndsWithItsOwnCode) {
  stream.OnDataAvailable = [this](TStream* s, uint16_t) {
    char buffer[256];
    const int n = s->Receive(buffer, sizeof buffer);
    if (n > 0) received.append(buffer, static_cast<size_t>(n));
    if (n < 0 && s->LastError() != socketerrors::kWouldBlock) log.push_back("error " + std::to_string(s->LastError()));
  };
  server.write("last words\n");
  ASSERT_TRUE(waitUntil([&] { return received == "last words\n"; }));
  // Killed, the server's socket is closed by the system: a FIN, no close_notify.
  server.kill();
  ASSERT_TRUE(waitUntil([&] { return log.size() == 3; }));
  const std::string code = std::to_string(socketerrors::kTlsTruncated);
  EXPECT_EQ(log, (std::vector<std::string>{"connected 0", "error " + code, "closed " + code}));
  EXPECT_EQ(stream.State(), wsClosed);
}

TEST(TlsStreamAlert, FatalAlertAfterTheHandshakeEndsTheStreamAtOnce) {
  korvtest::TlsLab lab;
  const korvtest::TlsFiles files = lab.selfSigned("host");
  SSL_CTX* context = SSL_CTX_new(TLS_server_method());
  SSL_CTX_use_certificate_chain_file(context, files.cert.toLocal8Bit().constData());
  SSL_CTX_use_PrivateKey_file(context, files.key.toLocal8Bit().constData(), SSL_FILETYPE_PEM);
  TlsChannel host(SSL_new(context));
  SSL_CTX_free(context);
  SSL_set_accept_state(host.ssl());
  ScriptedPeer peer;
  TlsStream stream;
  std::vector<std::string> log;
  stream.SetTrust({{}, lab.pin(files.cert)});
  stream.OnSessionConnected = [&](TStream*, uint16_t e) { log.push_back("connected " + std::to_string(e)); };
  stream.OnSessionClosed = [&](TStream*, uint16_t e) { log.push_back("closed " + std::to_string(e)); };
  stream.OnDataAvailable = [](TStream* s, uint16_t) {
    char buffer[256];
    s->Receive(buffer, sizeof buffer);
  };
  stream.Open("127.0.0.1", peer.portText());
  ASSERT_TRUE(peer.waitForClient());
  size_t fed = 0;
  ASSERT_TRUE(waitUntil([&] {
    host.feed(peer.received().data() + fed, peer.received().size() - fed);
    fed = peer.received().size();
    const bool done = host.handshake() == TlsChannel::Status::Done;
    peer.send(host.takeOutgoing());
    return done && !log.empty();
  }));
  ASSERT_EQ(log, std::vector<std::string>{"connected 0"});

  // A forged record the host's TLS cannot decrypt: it answers with a fatal
  // alert, and its socket stays open.
  const std::string forged = std::string("\x17\x03\x03\x00\x20", 5) + std::string(32, 'x');
  host.feed(forged.data(), forged.size());
  char buffer[16];
  TlsChannel::Status status = TlsChannel::Status::Done;
  host.read(buffer, sizeof buffer, &status);
  ASSERT_EQ(status, TlsChannel::Status::Failed);
  peer.send(host.takeOutgoing());
  ASSERT_TRUE(waitUntil([&] { return log.size() == 2; }));
  EXPECT_EQ(log[1], "closed " + std::to_string(socketerrors::kTlsProtocolError));
}

}  // namespace
