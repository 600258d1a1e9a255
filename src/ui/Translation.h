// The operator's language: the program carries an Indonesian catalogue of its
// texts, installed when the locale asks for Indonesian; for any other locale
// the texts stay in English, as the code writes them. Called by main() before
// the first window is made.
#pragma once

#include <QLocale>

class QCoreApplication;
class QTranslator;

// The translator installed in app (owned by it); null when the locale has no
// catalogue.
QTranslator* InstallTranslation(QCoreApplication& app, const QLocale& locale = QLocale());
