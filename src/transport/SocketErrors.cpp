// The Windows Sockets description of each error code, the texts the socket's
// exception messages carry.
#include "transport/SocketErrors.h"

#include <utility>

namespace {

constexpr std::pair<int, const char*> kDescriptions[] = {
    {0, "No Error"},
    {10004, "Interrupted system call"},
    {10009, "Bad file number"},
    {10013, "Permission denied"},
    {10014, "Bad address"},
    {10022, "Invalid argument"},
    {10024, "Too many open files"},
    {10035, "Operation would block"},
    {10036, "Operation now in progress"},
    {10037, "Operation already in progress"},
    {10038, "Socket operation on non-socket"},
    {10039, "Destination address required"},
    {10040, "Message too long"},
    {10041, "Protocol wrong type for socket"},
    {10042, "Protocol not available"},
    {10043, "Protocol not supported"},
    {10044, "Socket type not supported"},
    {10045, "Operation not supported on socket"},
    {10046, "Protocol family not supported"},
    {10047, "Address family not supported by protocol family"},
    {10048, "Address already in use"},
    {10049, "Address not available"},
    {10050, "Network is down"},
    {10051, "Network is unreachable"},
    {10052, "Network dropped connection on reset"},
    {10053, "Connection aborted"},
    {10054, "Connection reset by peer"},
    {10055, "No buffer space available"},
    {10056, "Socket is already connected"},
    {10057, "Socket is not connected"},
    {10058, "Can't send after socket shutdown"},
    {10059, "Too many references: can't splice"},
    {10060, "Connection timed out"},
    {10061, "Connection refused"},
    {10062, "Too many levels of symbolic links"},
    {10063, "File name too long"},
    {10064, "Host is down"},
    {10065, "No route to host"},
    {10066, "Directory not empty"},
    {10067, "Too many processes"},
    {10068, "Too many users"},
    {10069, "Disc quota exceeded"},
    {10070, "Stale NFS file handle"},
    {10071, "Too many levels of remote in path"},
    {10091, "Network subsystem is unusable"},
    {10092, "Winsock DLL cannot support this application"},
    {10093, "Winsock not initialized"},
    {11001, "Host not found"},
    {11002, "Non-authoritative host not found"},
    {11003, "Non-recoverable error"},
    {11004, "No Data"},
    {20001, "TLS handshake failed"},
    {20002, "The host's certificate is not signed by a trusted authority"},
    {20003, "The host's certificate has expired or is not yet valid"},
    {20004, "The host's certificate is for another host name"},
    {20005, "The host's certificate is not the one trusted for it"},
    {20006, "The TLS connection was cut without its closing message"},
    {20007, "TLS protocol error"},
    {20008, "The CA file cannot be read"},
    {20050, "The SSH host key is not known"},
    {20051, "The SSH host key has changed: refused"},
    {20052, "SSH authentication refused"},
    {20053, "SSH protocol failure"},
    {20054, "The known hosts file cannot be read or written"},
    {20055, "The SSH host key is revoked: refused"},
};

}  // namespace

std::string WSocketErrorDesc(int code) {
  for (const auto& [known, text] : kDescriptions) {
    if (known == code) return text;
  }
  return "Not a WinSock error";
}

bool socketerrors::isVerificationFailure(int code) {
  return (code >= kTlsUntrusted && code <= kTlsCertificateChanged) || code == kSshHostKeyUnknown ||
         code == kSshHostKeyChanged || code == kSshHostKeyRevoked;
}

std::string socketerrors::message(int code, const std::string& operation) {
  std::string text = WSocketErrorDesc(code) + " (#" + std::to_string(code);
  if (!operation.empty()) text += " in " + operation;
  return text + ")";
}
