// What the simulated host answers to each command line of one connection: the
// service menu, TACL (logon, prompts, system name, PATHMON listing) and NCPCOM
// (NCP logon, listings, START, STOP, DELIVER). Keeps the dialogue state of the
// connection; statuses live in the shared Network. Knows nothing of sockets,
// echo or paging: ClientSession owns one and sends what it answers.
#pragma once

#include <QByteArray>
#include <QList>
#include <optional>

#include "Listing.h"
#include "SimContext.h"

class HostDialogue {
 public:
  struct Reply {
    QByteArray text;                 // the answer, ending in a prompt unless a listing follows
    std::optional<Listing> listing;  // to be sent after text, then prompt()
    bool logout = false;             // the host ends the connection after text
  };

  explicit HostDialogue(SimContext context);

  // The next line received is a password (not echoed).
  bool expectsPassword() const;
  Reply answer(const QByteArray& line);
  // A session whose login was made outside the dialogue (SSH): TACL, logged
  // on as user; the greeting and the first prompt.
  QByteArray startLoggedOn(const QByteArray& user);
  // The prompt of the current state: menu, TACL or NCPCOM.
  QByteArray prompt() const;

 private:
  // NcpRelogon: NCPCOM restarted in a TACL session whose NCP user is already
  // set takes the next line as that user's password (SET USER still works).
  enum class Mode { Menu, Tacl, TaclPassword, Ncp, NcpPassword, NcpRelogon };

  void menuCommand(const QByteArray& choice);
  void taclCommand(const QByteArray& trimmed, const QList<QByteArray>& words);
  void taclPassword(const QByteArray& password);
  void ncpCommand(const QByteArray& trimmed, const QList<QByteArray>& words);
  void ncpPassword(const QByteArray& password);
  void ncpObjectCommand(const QByteArray& trimmed, const QList<QByteArray>& words);
  void deliver(const QByteArray& trimmed);
  void say(const QByteArray& line);
  void sayPrompt();
  void logout();

  SimContext m_ctx;
  Mode m_mode = Mode::Menu;
  Reply m_reply;
  bool m_taclLoggedOn = false;
  bool m_subvolPrompt = false;
  int m_taclNumber = 1;
  QByteArray m_taclUser;  // the logged-on (or logging-on) TACL user
  int m_pathmon = -1;
  bool m_ncpLoggedOn = false;
  QByteArray m_ncpUser;  // kept across NCPCOM restarts of this TACL session
};
