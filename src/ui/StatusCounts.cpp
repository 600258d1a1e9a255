#include "ui/StatusCounts.h"

#include <QCoreApplication>
#include <QLocale>

QString StatusCountsText(const TXPNetObjList& registry) {
  // Thousands grouped the same way whatever the desktop's language.
  const QLocale english(QLocale::English);
  const auto part = [&](const char* word, TXPNetStatus status) {
    return QString("%1 %2").arg(QCoreApplication::translate("StatusCounts", word),
                                english.toString(qulonglong(registry.StatusCount(status))));
  };
  return part(QT_TRANSLATE_NOOP("StatusCounts", "Abnormal"), nsAbnormal) + QString::fromUtf8(" · ") +
         part(QT_TRANSLATE_NOOP("StatusCounts", "Stopped"), nsStopped) + QString::fromUtf8(" · ") +
         part(QT_TRANSLATE_NOOP("StatusCounts", "Starting"), nsStarting) + QString::fromUtf8(" · ") +
         part(QT_TRANSLATE_NOOP("StatusCounts", "Started"), nsStarted);
}
