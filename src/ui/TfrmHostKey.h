// TfrmHostKey: the dialog that shows the operator an ssh:// host key the
// known-hosts file does not vouch for. An unknown key is shown with its type,
// fingerprint and the file, and the operator accepts it into the file,
// accepts it for this connection only, or refuses (the default). A changed
// key is only told: the key the file holds and the one offered now, the
// file's line and the ssh-keygen command that removes it; the connection
// stays refused. Made by the main window for each refusal; UI thread only.
#pragma once

#include <QDialog>
#include <QString>
#include <string>

#include "transport/SshStream.h"

class QLabel;
class QPushButton;

// What the dialog shows of one refused key.
struct RefusedHostKey {
  std::string host;
  std::string port;
  // Empty: the user's ~/.ssh/known_hosts.
  std::string knownHostsFile;
  std::string type;
  std::string fingerprint;
  bool changed = false;
  SshKnownHostKey known;
};

class TfrmHostKey : public QDialog {
  Q_OBJECT
 public:
  enum class Choice { Refuse, ConnectOnce, Accept };

  explicit TfrmHostKey(const RefusedHostKey& key, QWidget* parent = nullptr);

  // Shows the dialog modally.
  Choice Ask();

  QLabel* lbDetails;
  QPushButton* btnAccept;
  QPushButton* btnOnce;
  QPushButton* btnCancel;

 private:
  QString unknownText(const RefusedHostKey& key, const QString& file) const;
  QString changedText(const RefusedHostKey& key, const QString& file) const;

  Choice m_choice = Choice::Refuse;
};
