// Small file helpers for the operator-interface tests: raw bytes in and out
// of a path, and a fresh temporary folder per test.
#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

namespace uitest {

QByteArray readBytes(const QString& path);
void writeBytes(const QString& path, const QByteArray& bytes);
bool fileExists(const QString& path);

// A temporary folder with a settings file path inside it (not created).
struct TempSettings {
  QTemporaryDir dir;
  QString path = dir.filePath("Korvanedrestolin.INI");
};

}  // namespace uitest
