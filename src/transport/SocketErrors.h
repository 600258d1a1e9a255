// SocketErrors: the Windows Sockets error codes, the socket's exception and
// the one form of its messages ("Socket is not connected (#10057 in Send)").
//
// SocketPlatform maps the system's errors to these codes on every platform;
// TWSocket, SocketResolver and the session's command queue throw
// ESocketException with them, and the front ends word a code an event carries
// with WSocketErrorDesc. The description table in SocketErrors.cpp lists every
// code known, the secure streams' own codes (20001 and up) among them.
#pragma once

#include <stdexcept>
#include <string>

class ESocketException : public std::runtime_error {
 public:
  ESocketException(const std::string& message, int errorCode) : std::runtime_error(message), m_errorCode(errorCode) {}
  int ErrorCode() const { return m_errorCode; }

 private:
  int m_errorCode;
};

// The Windows Sockets description of a code ("Connection refused", ...).
std::string WSocketErrorDesc(int code);

namespace socketerrors {

// The codes the program acts on or raises by name.
constexpr int kWouldBlock = 10035;
constexpr int kNotSocket = 10038;
constexpr int kConnReset = 10054;
constexpr int kNotConnected = 10057;
constexpr int kHostNotFound = 11001;
constexpr int kTryAgain = 11002;
constexpr int kNoRecovery = 11003;
constexpr int kNoData = 11004;

// SSH failures (20050..20099).
constexpr int kSshHostKeyUnknown = 20050;
constexpr int kSshHostKeyChanged = 20051;
constexpr int kSshAuthRefused = 20052;
constexpr int kSshProtocol = 20053;
constexpr int kSshKnownHostsFile = 20054;
constexpr int kSshHostKeyRevoked = 20055;

// TLS failures (20001..20049).
constexpr int kTlsHandshakeFailed = 20001;
constexpr int kTlsUntrusted = 20002;
constexpr int kTlsExpired = 20003;
constexpr int kTlsWrongHost = 20004;
constexpr int kTlsCertificateChanged = 20005;
constexpr int kTlsTruncated = 20006;
constexpr int kTlsProtocolError = 20007;
constexpr int kTlsCaFileUnreadable = 20008;

// The host's identity did not pass the checks (certificate or host key).
bool isVerificationFailure(int code);

// "Connection refused (#10061)", or with the operation that failed
// "Socket is not connected (#10057 in Send)".
std::string message(int code, const std::string& operation = {});

}  // namespace socketerrors
