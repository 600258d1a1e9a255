#include "ui/IniFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>
#include <climits>
#include <cstdint>

namespace {

constexpr std::size_t npos = std::string::npos;

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string trimmed(const std::string& s) {
  std::size_t b = 0;
  std::size_t e = s.size();
  while (b < e && isBlank(s[b])) ++b;
  while (e > b && isBlank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

bool sameName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (lowerAscii(a[i]) != lowerAscii(b[i])) return false;
  return true;
}

// "[name]" (blanks around allowed) gives true and the trimmed name.
bool sectionOf(const std::string& line, std::string* name) {
  std::size_t b = 0;
  while (b < line.size() && isBlank(line[b])) ++b;
  if (b == line.size() || line[b] != '[') return false;
  std::size_t e = line.find(']', b + 1);
  *name = trimmed(line.substr(b + 1, (e == npos ? line.size() : e) - b - 1));
  return true;
}

// "key=value" gives true with both trimmed; lines without "=" or with an
// empty key hold no entry.
bool entryOf(const std::string& line, std::string* key, std::string* value) {
  std::size_t eq = line.find('=');
  if (eq == npos) return false;
  *key = trimmed(line.substr(0, eq));
  if (key->empty()) return false;
  if (value) *value = trimmed(line.substr(eq + 1));
  return true;
}

struct SectionRange {
  std::size_t header = npos;  // line of "[name]"
  std::size_t end = npos;     // first line after the section
};

SectionRange findSection(const std::vector<std::string>& lines, const std::string& section) {
  SectionRange r;
  std::string name;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (!sectionOf(lines[i], &name)) continue;
    if (r.header != npos) {
      r.end = i;
      return r;
    }
    if (sameName(name, section)) r.header = i;
  }
  if (r.header != npos) r.end = lines.size();
  return r;
}

bool parseInteger(const std::string& s, int* out) {
  int64_t v = 0;
  if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
    for (std::size_t i = 2; i < s.size(); ++i) {
      char c = lowerAscii(s[i]);
      int d = (c >= '0' && c <= '9') ? c - '0' : (c >= 'a' && c <= 'f') ? c - 'a' + 10 : -1;
      if (d < 0) return false;
      v = v * 16 + d;
      if (v > INT_MAX) return false;
    }
    *out = int(v);
    return true;
  }
  std::size_t i = 0;
  bool negative = false;
  if (i < s.size() && (s[i] == '-' || s[i] == '+')) negative = s[i++] == '-';
  if (i == s.size()) return false;
  for (; i < s.size(); ++i) {
    if (s[i] < '0' || s[i] > '9') return false;
    v = v * 10 + (s[i] - '0');
    if (v > int64_t(INT_MAX) + 1) return false;
  }
  if (negative) v = -v;
  if (v > INT_MAX || v < INT_MIN) return false;
  *out = int(v);
  return true;
}

}  // namespace

IniWriteError::IniWriteError(const QString& path)
    : std::runtime_error("Unable to write to " + path.toLocal8Bit().toStdString()) {}

IniFile::IniFile(QString path) : m_path(std::move(path)) {}

std::vector<std::string> IniFile::readLines(bool* complete) const {
  std::vector<std::string> lines;
  *complete = true;
  QFile file(m_path);
  if (!file.exists()) return lines;
  if (!file.open(QIODevice::ReadOnly)) {
    *complete = false;
    return lines;
  }
  // One byte past the limit tells a cut file from one that fits exactly; a
  // file that reports no size (a device, a pipe) is read up to the limit.
  const qint64 size = file.size();
  QByteArray data = file.read((size > 0 ? std::min(size, kMaxFileBytes) : kMaxFileBytes) + 1);
  bool cut = data.size() > kMaxFileBytes;
  if (cut) {
    // Read only whole lines of the part that fits.
    *complete = false;
    data.truncate(kMaxFileBytes);
    data.truncate(data.lastIndexOf('\n') + 1);
  }
  qsizetype start = 0;
  while (start < data.size()) {
    qsizetype nl = data.indexOf('\n', start);
    qsizetype end = nl < 0 ? data.size() : nl;
    qsizetype len = end - start;
    if (len > 0 && data[end - 1] == '\r') --len;
    lines.emplace_back(data.constData() + start, std::size_t(len));
    start = end + 1;
  }
  return lines;
}

std::string IniFile::readString(const std::string& section, const std::string& key,
                                const std::string& defaultValue) const {
  bool complete = false;
  std::vector<std::string> lines = readLines(&complete);
  SectionRange r = findSection(lines, section);
  if (r.header == npos) return defaultValue;
  std::string k;
  std::string v;
  for (std::size_t i = r.header + 1; i < r.end; ++i) {
    if (entryOf(lines[i], &k, &v) && sameName(k, key)) {
      if (v.size() > std::size_t(kValueBuffer - 1)) v.resize(kValueBuffer - 1);
      return v;
    }
  }
  return defaultValue;
}

int IniFile::readInteger(const std::string& section, const std::string& key, int defaultValue) const {
  int value = defaultValue;
  return parseInteger(readString(section, key, std::string()), &value) ? value : defaultValue;
}

std::vector<std::string> IniFile::readSectionKeys(const std::string& section) const {
  bool complete = false;
  std::vector<std::string> lines = readLines(&complete);
  std::vector<std::string> keys;
  SectionRange r = findSection(lines, section);
  if (r.header == npos) return keys;
  std::size_t used = 1;  // the list's closing terminator
  std::string k;
  for (std::size_t i = r.header + 1; i < r.end; ++i) {
    // A name too long for what is left of the buffer is skipped, not the
    // end of the list: one over-long entry must not hide every later one.
    if (!entryOf(lines[i], &k, nullptr) || used + k.size() + 1 > std::size_t(kSectionBuffer)) continue;
    used += k.size() + 1;
    keys.push_back(k);
  }
  return keys;
}

void IniFile::writeString(const std::string& section, const std::string& key, const std::string& value) const {
  if (!isSafeName(section) || section.find(']') != npos || !isSafeName(key) || !isSafeValue(value))
    throw std::invalid_argument("unsafe name or value for the settings file");
  bool complete = false;
  std::vector<std::string> lines = readLines(&complete);
  if (!complete) throw IniWriteError(m_path);

  SectionRange r = findSection(lines, section);
  if (r.header == npos) {
    lines.push_back("[" + section + "]");
    lines.push_back(key + "=" + value);
  } else {
    std::size_t last = r.header;  // last non-blank line of the section
    std::string k;
    bool replaced = false;
    for (std::size_t i = r.header + 1; i < r.end && !replaced; ++i) {
      if (entryOf(lines[i], &k, nullptr) && sameName(k, key)) {
        lines[i] = k + "=" + value;
        replaced = true;
      }
      if (!trimmed(lines[i]).empty()) last = i;
    }
    if (!replaced) lines.insert(lines.begin() + std::ptrdiff_t(last + 1), key + "=" + value);
  }

  QByteArray out;
  for (const std::string& line : lines) {
    out.append(line.data(), qsizetype(line.size()));
    out.append("\r\n");
  }
  createIfMissing();
  // The explicit flush catches a short write (disk full, file size limit)
  // that commit() alone lets through as a truncated file.
  QSaveFile file(m_path);
  if (!file.open(QIODevice::WriteOnly) || file.write(out) != out.size() || !file.flush()) {
    file.cancelWriting();
    throw IniWriteError(m_path);
  }
  if (!file.commit()) throw IniWriteError(m_path);
}

void IniFile::createIfMissing() const {
  if (QFileInfo::exists(m_path)) return;
  const QString folder = QFileInfo(m_path).absolutePath();
  if (!QFileInfo::exists(folder)) {
    if (!QDir().mkpath(folder)) throw IniWriteError(m_path);
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  }
  // QSaveFile gives the rewritten file the permissions of the one it replaces.
  QFile file(m_path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly, QFile::ReadOwner | QFile::WriteOwner))
    throw IniWriteError(m_path);
}

void IniFile::writeInteger(const std::string& section, const std::string& key, int value) const {
  writeString(section, key, std::to_string(value));
}

bool IniFile::isSafeName(const std::string& name) {
  if (name.empty() || name.front() == '[' || isBlank(name.front()) || isBlank(name.back())) return false;
  for (unsigned char c : name)
    if (c < 0x20 || c == 0x7F || c == '=') return false;
  return true;
}

bool IniFile::isSafeValue(const std::string& value) {
  if (!value.empty() && (isBlank(value.front()) || isBlank(value.back()))) return false;
  for (unsigned char c : value)
    if (c < 0x20 || c == 0x7F) return false;
  return true;
}
