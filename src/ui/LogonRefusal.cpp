#include "ui/LogonRefusal.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QMessageBox>

void ShowLogonRefused(QWidget* parent, RefusedLogon logon, const std::string& hostLine) {
  const bool ncp = logon == RefusedLogon::Ncp;
  QMessageBox box(ncp ? QMessageBox::Critical : QMessageBox::Information, QGuiApplication::applicationDisplayName(),
                  QCoreApplication::translate("LogonRefusal", "Password salah"), QMessageBox::Ok, parent);
  QString detail = ncp ? QCoreApplication::translate("LogonRefusal", "The NCP logon was refused.")
                       : QCoreApplication::translate("LogonRefusal", "The TACL logon was refused.");
  if (!hostLine.empty())
    detail += "\n" + QCoreApplication::translate("LogonRefusal", "The host answered: %1")
                         .arg(QString::fromLatin1(hostLine.data(), qsizetype(hostLine.size())));
  box.setInformativeText(detail);
  box.exec();
}
