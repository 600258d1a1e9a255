#include "ui/StatusCounts.h"

#include <QCoreApplication>
#include <QLocale>

QString StatusCountsText(const std::vector<const TXPNetObjList*>& registries) {
  // Thousands grouped the same way whatever the desktop's language.
  const QLocale english(QLocale::English);
  const auto count = [&](TXPNetStatus status) {
    size_t sum = 0;
    for (const TXPNetObjList* registry : registries) sum += registry->StatusCount(status);
    return sum;
  };
  const auto part = [&](const char* word, TXPNetStatus status) {
    return QString("%1 %2").arg(QCoreApplication::translate("StatusCounts", word),
                                english.toString(qulonglong(count(status))));
  };
  return part(QT_TRANSLATE_NOOP("StatusCounts", "Abnormal"), nsAbnormal) + QString::fromUtf8(" · ") +
         part(QT_TRANSLATE_NOOP("StatusCounts", "Stopped"), nsStopped) + QString::fromUtf8(" · ") +
         part(QT_TRANSLATE_NOOP("StatusCounts", "Starting"), nsStarting) + QString::fromUtf8(" · ") +
         part(QT_TRANSLATE_NOOP("StatusCounts", "Started"), nsStarted);
}
