#include "ui/StatusCounts.h"

#include <QLocale>

QString StatusCountsText(const TXPNetObjList& registry) {
  // Thousands grouped the same way whatever the desktop's language.
  const QLocale english(QLocale::English);
  const auto part = [&](const char* word, TXPNetStatus status) {
    return QString("%1 %2").arg(word, english.toString(qulonglong(registry.StatusCount(status))));
  };
  return part("Abnormal", nsAbnormal) + QString::fromUtf8(" · ") + part("Stopped", nsStopped) +
         QString::fromUtf8(" · ") + part("Starting", nsStarting) + QString::fromUtf8(" · ") +
         part("Started", nsStarted);
}
