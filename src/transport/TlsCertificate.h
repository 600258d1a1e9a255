// TlsCertificate: who a TLS peer says it is, kept by the stream after the
// handshake so that a front end can show an unverified certificate to the
// operator (fingerprint, subject, issuer, validity) and pin it. TlsTrust: what
// the operator trusts for one host: a CA file, or one pinned certificate.
//
// Plain data; TlsStream fills them. Pins are written "sha256:" and 64
// lower-case hex digits, the form the settings file and ncpctl --pin use.
#pragma once

#include <optional>
#include <string>

struct x509_st;

struct TlsCertificate {
  // What the certificate says of itself.
  static TlsCertificate of(x509_st* cert);

  std::string sha256;  // lower-case hex, no separators
  std::string subject;
  std::string issuer;
  std::string notBefore;  // "2026-12-08 14:00:00 UTC"
  std::string notAfter;

  // "sha256:<hex>", as a pin is written.
  std::string pin() const { return "sha256:" + sha256; }
  // "AB:CD:...", as the openssl command prints a fingerprint.
  std::string colonFingerprint() const;
};

struct TlsTrust {
  // PEM file of the authorities to trust; empty: the system's.
  std::string caFile;
  // "sha256:<hex>": only the certificate of that fingerprint is accepted,
  // whatever its chain, names and dates say. Empty: none pinned.
  std::string pin;
};

// The pin in its written form from "sha256:HEX" (hex digits in either case,
// optionally separated by colons); nullopt when it is not one.
std::optional<std::string> normalizedPin(const std::string& text);
