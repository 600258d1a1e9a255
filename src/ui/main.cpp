// Korvanedrestolin: the program. The settings file lies beside the
// executable. "--host HOST[:PORT]" and "--user USER" only pre-fill the login
// dialog (they are remembered in the settings file as the dialog remembers a
// choice); the system itself has no options.
#include <QCommandLineParser>
#include <cstdio>

#include "nsk/ProcessSecrecy.h"
#include "ui/KorvApplication.h"
#include "ui/SettingsFile.h"
#include "ui/TfrmDebug.h"
#include "ui/TfrmMain.h"

namespace {

// Remembers name in section and makes it the list's chosen entry.
void preFill(const SettingsFile& settings, const char* section, const char* indexKey, const QString& name) {
  if (name.isEmpty()) return;
  const QByteArray bytes = name.toLatin1();
  if (QString::fromLatin1(bytes) != name || !settings.addEntry(section, bytes.toStdString())) {
    std::fprintf(stderr, "korvanedrestolin: not remembered, the settings file cannot hold \"%s\"\n",
                 bytes.constData());
    return;
  }
  const std::vector<std::string> list = settings.readList(section);
  for (size_t i = 0; i < list.size(); ++i) {
    if (QString::fromLatin1(list[i].c_str()).compare(name, Qt::CaseInsensitive) == 0) {
      settings.writeIndex(indexKey, static_cast<int>(i));
      return;
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  keepSecretsOutOfCoreDumps();
  KorvApplication app(argc, argv);
  QApplication::setApplicationName(TfrmMain::kCaption);

  QCommandLineParser parser;
  parser.setApplicationDescription("Korvanedrestolin: operator console for the NCP of an HP NonStop host");
  parser.addHelpOption();
  parser.addOption({"host", "Offer HOST[:PORT] in the login dialog.", "HOST"});
  parser.addOption({"user", "Offer USER as the TACL user in the login dialog.", "USER"});
  parser.process(app);

  const QString settingsPath = SettingsFile::defaultPath();
  try {
    const SettingsFile settings(settingsPath);
    preFill(settings, SettingsFile::kHosts, SettingsFile::kHostidx, parser.value("host"));
    preFill(settings, SettingsFile::kUsersTACL, SettingsFile::kTACLidx, parser.value("user"));
  } catch (const std::exception& e) {
    std::fprintf(stderr, "korvanedrestolin: %s\n", e.what());
  }

  TfrmMain frmMain(settingsPath);
  // The debug window may stay open; closing the main window still ends the program.
  frmMain.frmDebug->setAttribute(Qt::WA_QuitOnClose, false);
  frmMain.show();
  return app.exec();
}
