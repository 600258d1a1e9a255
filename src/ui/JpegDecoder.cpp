#include "ui/JpegDecoder.h"

#include <jpeglib.h>

#include <csetjmp>
#include <cstdio>

namespace {

struct ErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
  bool warned;
};

[[noreturn]] void onFatal(j_common_ptr cinfo) {
  auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, err->message);
  std::longjmp(err->jump, 1);
}

// Level -1 is a warning about corrupt data; keep the first one as the reason.
// Trace messages (level >= 0) are dropped instead of going to stderr.
void onMessage(j_common_ptr cinfo, int level) {
  auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
  if (level >= 0 || err->warned) return;
  err->warned = true;
  (*cinfo->err->format_message)(cinfo, err->message);
}

// The libjpeg calls that may fail run in these two functions, which hold no
// object with a destructor, so the long jump out of libjpeg skips nothing.
bool startDecompress(jpeg_decompress_struct* cinfo, ErrorManager* err, const QByteArray& data) {
  if (setjmp(err->jump)) return false;
  jpeg_create_decompress(cinfo);
  jpeg_mem_src(cinfo, reinterpret_cast<const unsigned char*>(data.constData()),
               static_cast<unsigned long>(data.size()));
  jpeg_read_header(cinfo, TRUE);
  cinfo->out_color_space = JCS_RGB;
  jpeg_calc_output_dimensions(cinfo);
  return true;
}

bool readPixels(jpeg_decompress_struct* cinfo, ErrorManager* err, uchar* bits, qsizetype bytesPerLine) {
  if (setjmp(err->jump)) return false;
  jpeg_start_decompress(cinfo);
  while (cinfo->output_scanline < cinfo->output_height) {
    JSAMPROW row = bits + qsizetype(cinfo->output_scanline) * bytesPerLine;
    jpeg_read_scanlines(cinfo, &row, 1);
  }
  jpeg_finish_decompress(cinfo);
  return true;
}

}  // namespace

QImage JpegDecoder::decode(const QByteArray& data, QString* error) {
  auto fail = [error](const QString& reason) {
    if (error) *error = reason;
    return QImage();
  };
  if (data.isEmpty()) return fail("No JPEG data");

  jpeg_decompress_struct cinfo{};
  ErrorManager err{};
  cinfo.err = jpeg_std_error(&err.pub);
  err.pub.error_exit = onFatal;
  err.pub.emit_message = onMessage;

  if (!startDecompress(&cinfo, &err, data)) {
    jpeg_destroy_decompress(&cinfo);
    return fail(QString("Invalid JPEG: %1").arg(QString::fromLatin1(err.message)));
  }
  qint64 width = cinfo.output_width;
  qint64 height = cinfo.output_height;
  if (width * height > kMaxPixels || cinfo.output_components != 3) {
    jpeg_destroy_decompress(&cinfo);
    return fail(QString("Unsupported JPEG of %1 x %2 pixels").arg(width).arg(height));
  }
  QImage image(int(width), int(height), QImage::Format_RGB888);
  if (image.isNull()) {
    jpeg_destroy_decompress(&cinfo);
    return fail("Out of memory for the JPEG picture");
  }
  bool ok = readPixels(&cinfo, &err, image.bits(), image.bytesPerLine());
  jpeg_destroy_decompress(&cinfo);
  if (!ok) return fail(QString("Invalid JPEG: %1").arg(QString::fromLatin1(err.message)));
  if (err.warned) return fail(QString("Corrupt JPEG: %1").arg(QString::fromLatin1(err.message)));
  return image;
}
