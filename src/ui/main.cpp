// Korvanedrestolin: the program. The settings file lies beside the
// executable, or in the user's configuration folder where it cannot (see
// SettingsFile::locate); the about box names it. "--host HOST[:PORT]" and
// "--user USER" only pre-fill the login dialog (they are remembered in the
// settings file as the dialog remembers a choice).
//
// "--demo" starts the host simulator installed beside the program and offers
// it with its demo users. The demo keeps its settings in a temporary folder
// removed at the end, so the operator's own settings file is neither read nor
// filled with a loopback port that is gone after the demo.
#include <QCommandLineParser>
#include <QFileInfo>
#include <QMessageBox>
#include <QPointer>
#include <QTemporaryDir>
#include <cstdio>
#include <optional>

#include "nsk/ProcessSecrecy.h"
#include "ui/CloseOnSignal.h"
#include "ui/DemoHost.h"
#include "ui/KorvApplication.h"
#include "ui/SettingsFile.h"
#include "ui/TfrmDebug.h"
#include "ui/TfrmMain.h"
#include "ui/Translation.h"

namespace {

// Remembers name in section and makes it the list's chosen entry.
void preFill(const SettingsFile& settings, const char* section, const char* indexKey, const QString& name) {
  if (name.isEmpty()) return;
  const QByteArray bytes = name.toLatin1();
  if (QString::fromLatin1(bytes) != name || !settings.addEntry(section, bytes.toStdString())) {
    std::fprintf(stderr, "korvanedrestolin: not remembered, the settings file cannot hold \"%s\"\n", bytes.constData());
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

QString demoGuide(const QString& host) {
  return QString(
             "The demo host runs at %1.\n"
             "Tools, Connect: the host and the user %2 are offered; type the password %3.\n"
             "Double-click the PATHMON $PM01 and log on to NCP as %4 with the password %5.")
      .arg(host, DemoHost::kTaclUser, DemoHost::kTaclPassword, DemoHost::kNcpUser, DemoHost::kNcpPassword);
}

// --help and --version are answered before the application object is made,
// so they need no display; they end the program.
void answerHelpOrVersion(int argc, char** argv, QCommandLineParser& parser) {
  QStringList arguments;
  for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
  // Qt's own options (-platform, ...) are unknown here: they are read later.
  parser.parse(arguments);
  if (!parser.isSet("help") && !parser.isSet("version")) return;
  const QCoreApplication core(argc, argv);
  if (parser.isSet("version")) parser.showVersion();
  parser.showHelp();
}

}  // namespace

int main(int argc, char** argv) {
  keepSecretsOutOfCoreDumps();
  QApplication::setApplicationName(TfrmMain::kCaption);
  QApplication::setApplicationVersion(KORV_VERSION);
  QCommandLineParser parser;
  parser.setApplicationDescription("Korvanedrestolin: operator console for the NCP of an HP NonStop host");
  parser.addHelpOption();
  parser.addVersionOption();
  parser.addOption({"host", "Offer HOST[:PORT] in the login dialog.", "HOST"});
  parser.addOption({"user", "Offer USER as the TACL user in the login dialog.", "USER"});
  parser.addOption({"demo",
                    "Start the host simulator nsksim installed beside this program on a free loopback port and "
                    "offer it with its demo users; the settings of the demo are not kept."});
  answerHelpOrVersion(argc, argv, parser);

  KorvApplication app(argc, argv);
  InstallTranslation(app);
  QGuiApplication::setDesktopFileName("korvanedrestolin");
  // Before anything is saved, so a signal from now on closes as the operator
  // would, but without any dialog that would wait for someone at the screen.
  QPointer<TfrmMain> mainWindow;
  CloseOnSignal closeOnSignal([&mainWindow] {
    if (mainWindow) mainWindow->closeUnattended();
    QApplication::closeAllWindows();
  });
  parser.process(app);

  DemoHost demo;
  std::optional<QTemporaryDir> demoFolder;
  QString settingsPath = SettingsFile::defaultPath();
  QString host = parser.value("host"), user = parser.value("user"), ncpUser;
  if (parser.isSet("demo")) {
    QString error;
    if (!demo.start(QCoreApplication::applicationDirPath() + "/nsksim", &error)) {
      std::fprintf(stderr, "korvanedrestolin: %s\n", qPrintable(error));
      return 1;
    }
    demoFolder.emplace();
    settingsPath = demoFolder->filePath(QFileInfo(settingsPath).fileName());
    host = demo.hostPort();
    user = DemoHost::kTaclUser;
    ncpUser = DemoHost::kNcpUser;
    std::printf("%s\n", qPrintable(demoGuide(host)));
    std::fflush(stdout);
  }
  try {
    const SettingsFile settings(settingsPath);
    preFill(settings, SettingsFile::kHosts, SettingsFile::kHostidx, host);
    preFill(settings, SettingsFile::kUsersTACL, SettingsFile::kTACLidx, user);
    preFill(settings, SettingsFile::kUsersNCPCOM, SettingsFile::kNCPUidx, ncpUser);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "korvanedrestolin: %s\n", e.what());
  }

  TfrmMain frmMain(settingsPath);
  mainWindow = &frmMain;
  // The debug window may stay open; closing the main window still ends the program.
  frmMain.frmDebug->setAttribute(Qt::WA_QuitOnClose, false);
  frmMain.show();
  if (demoFolder) {
    auto* guide =
        new QMessageBox(QMessageBox::Information, TfrmMain::kCaption, demoGuide(host), QMessageBox::Ok, &frmMain);
    guide->setAttribute(Qt::WA_DeleteOnClose);
    guide->show();
  }
  return app.exec();
}
