#include "transport/TlsCertificate.h"

#include <openssl/bio.h>
#include <openssl/evp.h>
#include <openssl/x509.h>

#include <cctype>
#include <ctime>

namespace {

std::string text(BIO* bio) {
  char* data = nullptr;
  const long len = BIO_get_mem_data(bio, &data);
  return len > 0 ? std::string(data, static_cast<size_t>(len)) : std::string();
}

std::string nameText(const X509_NAME* name) {
  BIO* bio = BIO_new(BIO_s_mem());
  X509_NAME_print_ex(bio, name, 0, XN_FLAG_RFC2253);
  std::string result = text(bio);
  BIO_free(bio);
  return result;
}

std::string timeText(const ASN1_TIME* time) {
  struct tm tm {};
  if (ASN1_TIME_to_tm(time, &tm) != 1) return "?";
  char buffer[32];
  std::strftime(buffer, sizeof buffer, "%Y-%m-%d %H:%M:%S UTC", &tm);
  return buffer;
}

}  // namespace

TlsCertificate TlsCertificate::of(X509* cert) {
  TlsCertificate c;
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int len = 0;
  if (X509_digest(cert, EVP_sha256(), digest, &len) == 1) {
    static const char kHex[] = "0123456789abcdef";
    for (unsigned int i = 0; i < len; ++i) {
      c.sha256 += kHex[digest[i] >> 4];
      c.sha256 += kHex[digest[i] & 15];
    }
  }
  c.subject = nameText(X509_get_subject_name(cert));
  c.issuer = nameText(X509_get_issuer_name(cert));
  c.notBefore = timeText(X509_get0_notBefore(cert));
  c.notAfter = timeText(X509_get0_notAfter(cert));
  return c;
}

std::string TlsCertificate::colonFingerprint() const {
  std::string text;
  for (size_t i = 0; i < sha256.size(); ++i) {
    if (i > 0 && i % 2 == 0) text += ':';
    text += static_cast<char>(std::toupper(static_cast<unsigned char>(sha256[i])));
  }
  return text;
}

std::optional<std::string> normalizedPin(const std::string& text) {
  const std::string prefix = "sha256:";
  if (text.size() <= prefix.size()) return std::nullopt;
  for (size_t i = 0; i < prefix.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) return std::nullopt;
  }
  std::string hex;
  for (size_t i = prefix.size(); i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c == ':') continue;
    if (!std::isxdigit(c)) return std::nullopt;
    hex += static_cast<char>(std::tolower(c));
  }
  if (hex.size() != 64) return std::nullopt;
  return prefix + hex;
}
