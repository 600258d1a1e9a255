// A TNCPTelnet connected to a ScriptedHost, with every event it raises
// recorded, and the host's side of the TACL and NCP logons scripted.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "ScriptedHost.h"
#include "ncp/TNCPTelnet.h"
#include "support/EventLoop.h"

struct Seen {
  TTnCnx* sender;
  std::string text;
  TNSKTelnetState state;
};

class SessionFixture : public ::testing::Test {
 protected:
  SessionFixture() {
    session.OnNCPState = [this](const std::string& text) { events.push_back(text); };
    session.OnDebug = [this](TTnCnx* sender, const std::string& text) { debug.push_back({sender, text, atsIdle}); };
    session.OnConnect = [this](TTnCnx* sender) { connects.push_back(sender); };
    session.OnStringAvailable = [this](TTnCnx* sender, const std::string& text, TNSKTelnetState state) {
      strings.push_back({sender, text, state});
    };
  }

  bool hasEvent(const std::string& text) const {
    for (const auto& e : events)
      if (e == text) return true;
    return false;
  }
  bool waitEvent(const std::string& text, int timeoutMs = 5000) const {
    return korvtest::waitUntil([&] { return hasEvent(text); }, timeoutMs);
  }
  bool hasDebug(TTnCnx* sender, const std::string& text) const {
    for (const auto& d : debug)
      if (d.sender == sender && d.text == text) return true;
    return false;
  }

  // Opens the connection and waits until the host side has it.
  void connectSession() {
    session.Logon(host.hostPort(), "OPS.OPER", "secret1");
    ASSERT_TRUE(korvtest::waitUntil([&] { return host.clientConnected(); }));
  }

  // The whole TACL logon, accepted, with the system line "\SYS1".
  void taclLogon() {
    connectSession();
    host.send("Welcome to the host\r\nEnter Choice> ");
    ASSERT_EQ(host.answer("TACL 1> "), "TACL");
    ASSERT_EQ(host.answer("Password: "), "logon OPS.OPER");
    ASSERT_EQ(host.answer("\r\n1> "), "secret1");
    ASSERT_EQ(host.answer("$DATA.OPS 2> "), "SETPROMPT SUBVOL");
    ASSERT_EQ(host.answer("\\SYS1\r\n$DATA.OPS 3> "), "#mysystem");
    ASSERT_TRUE(waitEvent("002"));
  }

  // The NCP logon of PATHMON $PM1, accepted.
  void ncpLogon() {
    session.LogonNCP("$PM1", "NCPOPER", "secret2");
    ASSERT_EQ(host.answer("NCPCOM - T9153\r\n$PM1 2 > "), "NCPCOM $PM1");
    ASSERT_EQ(host.answer("PASSWORD: "), "SET USER NCPOPER");
    ASSERT_EQ(host.answer(passwordAnswer('1') + "$PM1 3 > "), "secret2");
    ASSERT_TRUE(waitEvent("006$PM1 3 > "));
  }

  // Answer lines of the NCP password: the decisive character in column 31.
  static std::string passwordAnswer(char column31) {
    return std::string(30, ' ') + column31 + " USER AUTHORIZED\r\n\r\n";
  }

  static std::string pad(const std::string& text, size_t width) {
    std::string out = text.substr(0, width);
    out.resize(width, ' ');
    return out;
  }
  // A STATUS listing line: name in columns 4..38, status in 47..55.
  static std::string objectLine(const std::string& name, const std::string& status) {
    return "   " + pad("\\SYS1.$PM1." + name, 35) + pad("", 8) + pad(status, 9) + "  X";
  }
  // An INFO STATION line: "E" in column 2, line 47..62, process 64..79.
  static std::string stationLine(const std::string& name, const std::string& line, const std::string& process) {
    return " E " + pad("\\SYS1.$PM1." + name, 35) + pad("", 8) + pad(line, 16) + " " + pad(process, 16);
  }

  // Declared first so that they outlive the session, which may still report
  // while it is destroyed.
  std::vector<std::string> events;
  std::vector<Seen> debug;
  std::vector<TTnCnx*> connects;
  std::vector<Seen> strings;
  ScriptedHost host;
  TNCPTelnet session;
};
