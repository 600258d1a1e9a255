// TfrmCertificate: the dialog that shows the operator a telnets:// host's
// certificate that did not verify (why, the SHA-256 fingerprint, subject,
// issuer and validity) and asks whether to trust it for this host. Accepting
// it is the operator's decision to pin it; the window stores the pin and
// connects again. Owned by the main window; UI thread only.
#pragma once

#include <QDialog>

#include "transport/TlsCertificate.h"

class QLabel;
class QPushButton;

class TfrmCertificate : public QDialog {
  Q_OBJECT
 public:
  explicit TfrmCertificate(QWidget* parent = nullptr);

  // Shows the dialog modally; true when the operator trusts the certificate.
  bool ShowCertificate(const QString& hostKey, const QString& reason, const TlsCertificate& certificate);

  QLabel* lbDetails;
  QPushButton* btnTrust;
  QPushButton* btnCancel;
};
