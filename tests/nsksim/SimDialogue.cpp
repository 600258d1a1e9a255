#include "SimDialogue.h"

namespace simtest {

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out(1);
  for (char c : text) {
    if (c == '\n') {
      out.emplace_back();
    } else if (c != '\r' && c != '\0') {
      out.back() += c;
    }
  }
  return out;
}

std::string col(const std::string& line, int from, int to) {
  if (static_cast<size_t>(from) > line.size()) return {};
  return line.substr(static_cast<size_t>(from - 1), static_cast<size_t>(to - from + 1));
}

std::string pad(const std::string& text, size_t width) {
  std::string out = text.substr(0, width);
  out.resize(width, ' ');
  return out;
}

std::string tacl(RawTelnetClient& client, const std::string& line) {
  client.sendLine(line);
  return client.readUntil("> ");
}

std::string ncp(RawTelnetClient& client, const std::string& line) {
  client.sendLine(line);
  return client.readUntil(" > ");
}

bool taclLogon(RawTelnetClient& client) {
  if (client.readUntil(kMenuPrompt).empty()) return false;
  client.sendLine("TACL");
  if (client.readUntil("TACL 1> ").empty()) return false;
  client.sendLine("logon " + kTaclUser);
  if (client.readUntil("Password: ").empty()) return false;
  if (tacl(client, kTaclPassword).find("*ERROR*") != std::string::npos) return false;
  return !tacl(client, "SETPROMPT SUBVOL").empty();
}

bool ncpLogon(RawTelnetClient& client, const std::string& pathmon) {
  if (!taclLogon(client)) return false;
  if (ncp(client, "NCPCOM " + pathmon).empty()) return false;
  client.sendLine("SET USER " + kNcpUser);
  if (client.readUntil("PASSWORD: ").empty()) return false;
  const std::vector<std::string> answer = lines(ncp(client, kNcpPassword));
  for (auto it = answer.rbegin() + 1; it != answer.rend(); ++it) {
    if (!it->empty()) return col(*it, 31, 31) == "1";
  }
  return false;
}

std::vector<std::string> objectLines(const std::string& answer) {
  std::vector<std::string> out;
  for (const std::string& line : lines(answer)) {
    if (col(line, 4, 4) == "\\") out.push_back(line);
  }
  return out;
}

}  // namespace simtest
