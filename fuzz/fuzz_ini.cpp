// The settings file's INI layer on arbitrary files. After reading whatever is
// there, a written key must read back, and keys of other sections must be
// untouched by the write.
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <cstdlib>
#include <string>

#include "ui/IniFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Memory-backed when the system has it: every write is synced to disk.
  static const QString dir = QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
  static const QString path = dir + QStringLiteral("/fuzz_ini_%1.INI").arg(static_cast<qlonglong>(getpid()));
  {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) std::abort();
    file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
  }
  IniFile ini(path);
  const auto hostsBefore = ini.readSectionKeys("Hosts");
  (void)ini.readSectionKeys("Main");
  (void)ini.readInteger("Main", "Top", 0);
  (void)ini.readString("Main", "Hostidx", "-1");

  try {
    ini.writeInteger("Main", "Top", 1234);
  } catch (const IniWriteError&) {
    return 0;  // a file the layer refuses to rewrite (too large) stays as it was
  }
  if (ini.readInteger("Main", "Top", 0) != 1234) std::abort();
  if (ini.readSectionKeys("Hosts") != hostsBefore) std::abort();
  return 0;
}
