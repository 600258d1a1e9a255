// The Indonesian catalogue: installed for an Indonesian locale, English kept
// for any other, and every text of the code translated (the build runs
// lupdate over a copy of the catalogue, which this reads).
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTranslator>
#include <QXmlStreamReader>

#include "UiTestFiles.h"
#include "ui/Translation.h"

namespace {

TEST(Translation, IndonesianLocaleInstallsTheCatalogue) {
  QTranslator* translator = InstallTranslation(*QCoreApplication::instance(), QLocale("id_ID"));
  ASSERT_NE(translator, nullptr);
  EXPECT_EQ(QCoreApplication::translate("TfrmAuth", "&Password"), "&Kata sandi");
  EXPECT_EQ(QCoreApplication::translate("LogonRefusal", "Password salah"), "Password salah");
  QCoreApplication::removeTranslator(translator);
  delete translator;
}

TEST(Translation, OtherLocalesKeepTheEnglishTexts) {
  EXPECT_EQ(InstallTranslation(*QCoreApplication::instance(), QLocale("en_US")), nullptr);
  EXPECT_EQ(QCoreApplication::translate("TfrmAuth", "&Password"), "&Password");
}

TEST(Translation, EveryTextOfTheCodeIsTranslated) {
  QXmlStreamReader ts(uitest::readBytes(KORV_TS_SCAN));
  QString source;
  QStringList untranslated;
  while (!ts.atEnd()) {
    if (ts.readNext() != QXmlStreamReader::StartElement) continue;
    if (ts.name() == u"source") source = ts.readElementText();
    if (ts.name() == u"translation" && ts.attributes().value("type") == u"unfinished") untranslated << source;
  }
  ASSERT_FALSE(ts.hasError()) << ts.errorString().toStdString();
  ASSERT_FALSE(source.isEmpty()) << "no catalogue at " KORV_TS_SCAN;
  EXPECT_TRUE(untranslated.isEmpty()) << untranslated.join(" | ").toStdString();
}

}  // namespace
