// IniFile: the settings file's INI format on one path, with the rules the
// program has always relied on: section and key names compared ignoring
// letter case, a written key replaced in place or appended as the last line
// of its section, a missing section appended at the end, a missing file
// created for its owner only (mode 0600, in a folder made with mode 0700 when
// that is missing too: it names the operator's hosts and users), CR LF line
// ends, 8-bit text.
//
// There is no open state: every operation reads the file again and every
// write rewrites it at once (through a temporary file beside it and a rename,
// so a refused write leaves the old file as it was). Readers treat a missing
// or unreadable file as an empty one. Only the first kMaxFileBytes of a file
// are read, so a huge or garbage file costs bounded time and memory; such a
// file is never rewritten (the write is refused) so its tail is not lost.
//
// Used by SettingsFile; the windows go through that.
#pragma once

#include <QString>
#include <stdexcept>
#include <string>
#include <vector>

// A write the system refused: "Unable to write to <path>".
class IniWriteError : public std::runtime_error {
 public:
  explicit IniWriteError(const QString& path);
};

class IniFile {
 public:
  static constexpr qint64 kMaxFileBytes = 4 * 1024 * 1024;
  // Buffer sizes of the profile readers: a single value is read through
  // kValueBuffer characters (terminator included), a section's key names
  // through kSectionBuffer bytes (each name plus its terminator, and one
  // closing terminator for the list).
  static constexpr int kValueBuffer = 2048;
  static constexpr int kSectionBuffer = 16384;

  explicit IniFile(QString path);

  const QString& path() const { return m_path; }

  // The value of the first key of that name in the first section of that
  // name, trimmed of blanks and cut to kValueBuffer - 1 characters; the
  // default when the file, section or key is missing.
  std::string readString(const std::string& section, const std::string& key, const std::string& defaultValue) const;
  // Decimal, or hexadecimal after "0x"/"0X"; anything else (or out of the
  // int range) gives the default.
  int readInteger(const std::string& section, const std::string& key, int defaultValue) const;
  // Key names of the section in file order, as many as fit kSectionBuffer;
  // a name that does not fit what is left is skipped.
  std::vector<std::string> readSectionKeys(const std::string& section) const;

  // Throw IniWriteError when the file cannot be written, and
  // std::invalid_argument for a section or key that isSafeName rejects.
  void writeString(const std::string& section, const std::string& key, const std::string& value) const;
  void writeInteger(const std::string& section, const std::string& key, int value) const;

  // A name that the format carries unchanged: not empty, no control
  // characters, no "=", no leading "[" and no leading or trailing blanks
  // (which readers trim away).
  static bool isSafeName(const std::string& name);
  // A value that stays on its line and reads back unchanged.
  static bool isSafeValue(const std::string& value);

 private:
  std::vector<std::string> readLines(bool* complete) const;
  void createIfMissing() const;

  QString m_path;
};
