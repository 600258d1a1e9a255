#include "ui/Translation.h"

#include <QCoreApplication>
#include <QTranslator>

QTranslator* InstallTranslation(QCoreApplication& app, const QLocale& locale) {
  auto* translator = new QTranslator(&app);
  if (!translator->load(locale, "korvanedrestolin", "_", ":/i18n")) {
    delete translator;
    return nullptr;
  }
  app.installTranslator(translator);
  return translator;
}
