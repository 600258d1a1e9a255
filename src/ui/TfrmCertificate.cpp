#include "ui/TfrmCertificate.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/Latin1Text.h"
#include "ui/ReadableText.h"

namespace {}  // namespace

TfrmCertificate::TfrmCertificate(QWidget* parent) : QDialog(parent) {
  setObjectName("frmCertificate");
  setWindowTitle(tr("Host certificate not verified"));
  setModal(true);
  auto* layout = new QVBoxLayout(this);
  lbDetails = makeReadableText(this, "lbDetails", tr("Certificate"));
  layout->addWidget(lbDetails);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  btnTrust = new QPushButton(tr("&Trust for this host"), this);
  btnTrust->setObjectName("btnTrust");
  btnCancel = new QPushButton(tr("Cancel"), this);
  btnCancel->setObjectName("btnCancel");
  // Trusting must be a choice: Enter and Escape both refuse. Trust must not
  // become the default when it has the focus.
  btnTrust->setAutoDefault(false);
  btnCancel->setDefault(true);
  buttons->addWidget(btnTrust);
  buttons->addWidget(btnCancel);
  layout->addLayout(buttons);
  connect(btnTrust, &QPushButton::clicked, this, &QDialog::accept);
  connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

bool TfrmCertificate::ShowCertificate(const QString& hostKey, const QString& reason,
                                      const TlsCertificate& certificate) {
  setReadableText(lbDetails, tr("The certificate of %1 was not accepted:\n%2.\nNothing was sent to the host.\n\n"
                                "SHA-256 fingerprint:\n%3\n\nSubject: %4\nIssuer: %5\nValid from %6 to %7\n\n"
                                "Trust it only if you know it is the host's own. It is remembered for this host; "
                                "a different certificate will be refused.")
                                 .arg(hostKey, reason, fromLatin1(certificate.colonFingerprint()),
                                      fromLatin1(certificate.subject), fromLatin1(certificate.issuer),
                                      fromLatin1(certificate.notBefore), fromLatin1(certificate.notAfter)));
  btnCancel->setFocus();
  return exec() == QDialog::Accepted;
}
