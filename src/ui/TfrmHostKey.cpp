#include "ui/TfrmHostKey.h"

#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/Latin1Text.h"
#include "ui/ReadableText.h"

namespace {

QString knownHostsName(const RefusedHostKey& key) { return fromLatin1(SshStream::KnownHostsName(key.host, key.port)); }

}  // namespace

TfrmHostKey::TfrmHostKey(const RefusedHostKey& key, QWidget* parent) : QDialog(parent) {
  setObjectName("frmHostKey");
  setWindowTitle(key.changed ? tr("SSH host key changed") : tr("Unknown SSH host key"));
  setModal(true);
  const QString file = key.knownHostsFile.empty() ? QDir::homePath() + "/.ssh/known_hosts"
                                                  : QString::fromLocal8Bit(key.knownHostsFile.c_str());
  auto* layout = new QVBoxLayout(this);
  lbDetails = makeReadableText(this, "lbDetails", tr("Host key"));
  setReadableText(lbDetails, key.changed ? changedText(key, file) : unknownText(key, file));
  layout->addWidget(lbDetails);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  btnAccept = new QPushButton(tr("&Accept and connect"), this);
  btnAccept->setObjectName("btnAccept");
  btnOnce = new QPushButton(tr("Connect &once"), this);
  btnOnce->setObjectName("btnOnce");
  btnCancel = new QPushButton(key.changed ? tr("&Close") : tr("Cancel"), this);
  btnCancel->setObjectName("btnCancel");
  // Accepting a key must be a choice: Enter and Escape both refuse.
  for (QPushButton* button : {btnAccept, btnOnce}) {
    button->setAutoDefault(false);
    button->setVisible(!key.changed);
    buttons->addWidget(button);
  }
  btnCancel->setDefault(true);
  buttons->addWidget(btnCancel);
  layout->addLayout(buttons);
  connect(btnAccept, &QPushButton::clicked, this, [this] {
    m_choice = Choice::Accept;
    accept();
  });
  connect(btnOnce, &QPushButton::clicked, this, [this] {
    m_choice = Choice::ConnectOnce;
    accept();
  });
  connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

TfrmHostKey::Choice TfrmHostKey::Ask() {
  m_choice = Choice::Refuse;
  btnCancel->setFocus();
  return exec() == QDialog::Accepted ? m_choice : Choice::Refuse;
}

QString TfrmHostKey::unknownText(const RefusedHostKey& key, const QString& file) const {
  return tr("The SSH host key of %1 is not in the known-hosts file %2. Nothing was sent to the host.\n\n"
            "Key type: %3\nSHA-256 fingerprint:\n%4\n\n"
            "Accept it only if the host's administrator confirms this fingerprint. Accept and connect adds it "
            "to the file; Connect once uses it for this connection only.")
      .arg(knownHostsName(key), file, fromLatin1(key.type), fromLatin1(key.fingerprint));
}

QString TfrmHostKey::changedText(const RefusedHostKey& key, const QString& file) const {
  return tr("The SSH host key of %1 has changed. The connection is refused; nothing was sent to the host.\n\n"
            "Known key: %2\nOffered now: %3 %4\n\n"
            "The known-hosts file %5 holds the known key in the line\n%6\n\n"
            "If the host's key was replaced on purpose, remove that line, for example with\n"
            "ssh-keygen -f '%5' -R '%1'\nand connect again.")
      .arg(knownHostsName(key), fromLatin1(key.known.fingerprint), fromLatin1(key.type), fromLatin1(key.fingerprint),
           file, fromLatin1(key.known.line));
}
