#include "UiTestFiles.h"

#include <QFile>

namespace uitest {

QByteArray readBytes(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeBytes(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) file.write(bytes);
}

bool fileExists(const QString& path) { return QFile::exists(path); }

}  // namespace uitest
