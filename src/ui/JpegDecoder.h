// JpegDecoder: JPEG bytes to a QImage through libjpeg. Corrupt, truncated or
// unsupported data gives a null image and a readable reason, never a crash
// and never a partly grey picture: libjpeg's fatal errors come back through
// its error manager, and its warnings (such as a premature end of data)
// count as failures too. Used by the about box for the picture it carries.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

class JpegDecoder {
 public:
  // Pictures larger than this many pixels are refused before decoding.
  static constexpr qint64 kMaxPixels = 64LL * 1024 * 1024;

  // The decoded picture in RGB888, or a null image with *error set.
  static QImage decode(const QByteArray& data, QString* error = nullptr);
};
