// TlsStream against the openssl command's own TLS server (s_server, with a
// certificate the test pins): delivery of bytes already decrypted when a pause
// ends, and a connection cut without the host's close_notify.
#include <gtest/gtest.h>

#include <QProcess>
#include <QRegularExpression>

#include "support/EventLoop.h"
#include "support/TlsLab.h"
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

}  // namespace
