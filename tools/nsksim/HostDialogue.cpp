#include "HostDialogue.h"

#include "Layouts.h"
#include "Network.h"
#include "SimOptions.h"

namespace {
const QByteArray kVolume = "$DATA01";
}  // namespace

HostDialogue::HostDialogue(SimContext context) : m_ctx(context) {}

bool HostDialogue::expectsPassword() const {
  return m_mode == Mode::TaclPassword || m_mode == Mode::NcpPassword || m_mode == Mode::NcpRelogon;
}

HostDialogue::Reply HostDialogue::answer(const QByteArray& line) {
  m_reply = Reply();
  const QByteArray trimmed = line.trimmed();
  const QList<QByteArray> words = trimmed.toUpper().simplified().split(' ');
  switch (m_mode) {
    case Mode::Menu:
      menuCommand(words[0]);
      break;
    case Mode::Tacl:
      taclCommand(trimmed, words);
      break;
    case Mode::TaclPassword:
      taclPassword(line);
      break;
    case Mode::Ncp:
      ncpCommand(trimmed, words);
      break;
    case Mode::NcpPassword:
      ncpPassword(line);
      break;
    case Mode::NcpRelogon:
      if ((words[0] == "SET" && words.size() >= 2 && words[1] == "USER") || words[0] == "EXIT" ||
          words[0] == "LOGOUT") {
        m_mode = Mode::Ncp;
        ncpCommand(trimmed, words);
      } else {
        ncpPassword(line);
      }
      break;
  }
  return std::move(m_reply);
}

void HostDialogue::menuCommand(const QByteArray& choice) {
  if (choice == "TACL") {
    m_mode = Mode::Tacl;
  } else if (choice == "EXIT" || choice == "LOGOUT") {
    return logout();
  } else if (!choice.isEmpty()) {
    say("Invalid choice: " + choice);
  }
  sayPrompt();
}

void HostDialogue::taclCommand(const QByteArray& trimmed, const QList<QByteArray>& words) {
  const QByteArray& verb = words[0];
  if (verb.isEmpty()) return sayPrompt();
  if (m_taclLoggedOn) ++m_taclNumber;
  if (verb == "LOGON") {
    const QByteArray user = trimmed.mid(5).trimmed();
    if (user.isEmpty()) {
      say("*ERROR* LOGON: expecting a user name");
      return sayPrompt();
    }
    m_taclUser = user;
    m_mode = Mode::TaclPassword;
    m_reply.text += "Password: ";
    return;
  }
  if (verb == "LOGOFF" || verb == "LOGOUT") return logout();
  if (verb == "EXIT") {
    // Outside NCPCOM there is nothing to leave; the session goes on.
    say("*ERROR* EXIT: not in NCPCOM; LOGOUT ends the session");
    return sayPrompt();
  }
  if (!m_taclLoggedOn) {
    say("*ERROR* Not logged on; use LOGON first");
    return sayPrompt();
  }
  if (verb == "SETPROMPT") {
    if (words.size() == 2 && words[1] == "SUBVOL") {
      m_subvolPrompt = true;
    } else if (words.size() == 1) {
      m_subvolPrompt = false;
    } else {
      say("*ERROR* SETPROMPT: expecting SUBVOL");
    }
  } else if (verb == "#MYSYSTEM") {
    say("\\" + m_ctx.network.systemName);
  } else if (verb == "STATUS") {
    QByteArray compact = words.join();
    if (compact == "STATUS*,PROG$*.*.PATHMON") {
      say(Layouts::pathmonHeader());
      int ordinal = 0;
      for (const Pathmon& pm : m_ctx.network.pathmons) say(Layouts::pathmonLine(pm.name, ordinal++));
    } else {
      say("*ERROR* STATUS: only STATUS *, PROG $*.*.PATHMON is available");
    }
  } else if (verb == "NCPCOM") {
    const int pm = words.size() < 2 ? -1 : m_ctx.network.findPathmon(words[1]);
    if (words.size() < 2) {
      say("*ERROR* NCPCOM: expecting a PATHMON name");
    } else if (pm < 0) {
      say("*ERROR* NCPCOM: PATHMON " + words[1] + " does not exist");
    } else {
      m_pathmon = pm;
      m_ncpLoggedOn = false;
      m_mode = m_ncpUser.isEmpty() ? Mode::Ncp : Mode::NcpRelogon;
      m_reply.text += Layouts::ncpcomBanner(m_ctx.network.systemName, m_ctx.network.pathmons[pm].name);
    }
  } else {
    say("*ERROR* Undefined command: " + words[0]);
  }
  sayPrompt();
}

void HostDialogue::taclPassword(const QByteArray& password) {
  m_mode = Mode::Tacl;
  const SimOptions& o = m_ctx.options;
  m_taclLoggedOn = m_taclUser.toUpper() == o.taclUser.toUpper() && password == o.taclPassword &&
                   (o.acceptedLogons < 0 || m_ctx.network.acceptedLogons < o.acceptedLogons);
  if (m_taclLoggedOn) {
    ++m_ctx.network.acceptedLogons;
    m_taclNumber = 2;
    m_subvolPrompt = false;
    m_reply.text += Layouts::taclLogonBanner(m_taclUser.toUpper());
  } else {
    say("*ERROR* Invalid user name or password");
  }
  sayPrompt();
}

void HostDialogue::ncpCommand(const QByteArray& trimmed, const QList<QByteArray>& words) {
  const QByteArray& verb = words[0];
  if (verb.isEmpty()) return sayPrompt();
  if (verb == "SET" && words.size() >= 3 && words[1] == "USER") {
    m_ncpUser = words[2];
    m_mode = Mode::NcpPassword;
    m_reply.text += "PASSWORD: ";
    return;
  }
  if (verb == "EXIT") {
    say("NCPCOM TERMINATED");
    m_mode = Mode::Tacl;
    m_ncpLoggedOn = false;
    m_pathmon = -1;
    if (m_taclLoggedOn) ++m_taclNumber;
    return sayPrompt();
  }
  if (verb == "LOGOUT") return logout();
  if (verb == "STATUS" || verb == "INFO" || verb == "START" || verb == "STOP" || verb == "DELIVER") {
    if (!m_ncpLoggedOn) {
      say("*** ERROR: NOT LOGGED ON TO NCP, USE SET USER");
      return sayPrompt();
    }
    return ncpObjectCommand(trimmed, words);
  }
  say("*** ERROR: UNKNOWN COMMAND " + verb);
  sayPrompt();
}

void HostDialogue::ncpPassword(const QByteArray& password) {
  m_mode = Mode::Ncp;
  const SimOptions& o = m_ctx.options;
  m_ncpLoggedOn = m_ncpUser == o.ncpUser.toUpper() && password == o.ncpPassword;
  say("");
  say(Layouts::ncpLogonLine(m_ncpUser, m_ncpLoggedOn));
  sayPrompt();
}

void HostDialogue::ncpObjectCommand(const QByteArray& trimmed, const QList<QByteArray>& words) {
  const QByteArray& verb = words[0];
  if (verb == "DELIVER") return deliver(trimmed);
  const QByteArray kindText = words.size() > 1 ? words[1] : QByteArray();
  ObjectKind kind;
  if (kindText == "PROCESS" && verb != "INFO") {
    kind = ObjectKind::Process;
  } else if (kindText == "STATION") {
    kind = ObjectKind::Station;
  } else if (kindText == "LINE" && verb != "INFO") {
    kind = ObjectKind::Line;
  } else {
    say(verb == "INFO" ? "*** ERROR: EXPECTING STATION" : "*** ERROR: EXPECTING PROCESS, STATION OR LINE");
    return sayPrompt();
  }
  if (words.size() < 3) {
    say("*** ERROR: EXPECTING AN OBJECT NAME OR *");
    return sayPrompt();
  }
  Network& net = m_ctx.network;
  const bool listing = verb == "STATUS" || verb == "INFO";
  if (listing && words[2] == "*") {
    m_reply.listing =
        verb == "INFO" ? Listing::stationInfo(net, m_pathmon, -1) : Listing::status(net, m_pathmon, kind, -1);
    return;
  }
  // A qualified name \SYSTEM.$PATHMON.NAME names the object by its last part.
  const QByteArray name = words[2].mid(words[2].lastIndexOf('.') + 1);
  NetObject* object = net.find(m_pathmon, kind, name);
  if (!object) {
    say("*** ERROR: " + kindText + " " + words[2] + " NOT FOUND");
    return sayPrompt();
  }
  if (listing) {
    const int index = static_cast<int>(object - net.pathmons[m_pathmon].objects(kind).data());
    m_reply.listing =
        verb == "INFO" ? Listing::stationInfo(net, m_pathmon, index) : Listing::status(net, m_pathmon, kind, index);
    return;
  }
  const QByteArray q = kindText + " " + Layouts::qualified(net.systemName, net.pathmons[m_pathmon].name, object->name);
  if (m_ctx.options.refuse.contains(object->name)) {
    say("*** ERROR: " + q + (verb == "START" ? " CANNOT BE STARTED" : " CANNOT BE STOPPED") + ", FILE ERROR 11");
  } else if (verb == "START") {
    if (object->status == ObjectStatus::Started) {
      say("*** WARNING: " + q + " ALREADY STARTED");
    } else {
      Network::start(*object);
      say(q + " STARTING");
    }
  } else {
    if (object->status == ObjectStatus::Stopped) {
      say("*** WARNING: " + q + " ALREADY STOPPED");
    } else {
      Network::stop(*object);
      say(q + " STOPPED");
    }
  }
  sayPrompt();
}

void HostDialogue::deliver(const QByteArray& trimmed) {
  // DELIVER PROCESS name, text: the text keeps its letter case and quotes.
  const QList<QByteArray> head = trimmed.simplified().split(' ');
  const int comma = trimmed.indexOf(',');
  QByteArray name;
  if (head.size() >= 3 && head[1].toUpper() == "PROCESS" && comma > 0) {
    const int start = trimmed.toUpper().indexOf("PROCESS") + 7;
    name = trimmed.mid(start, comma - start).trimmed().toUpper();
  }
  const QByteArray text = comma > 0 ? trimmed.mid(comma + 1).trimmed() : QByteArray();
  if (name.isEmpty() || text.isEmpty()) {
    say("*** ERROR: EXPECTING DELIVER PROCESS name, text");
    return sayPrompt();
  }
  Network& net = m_ctx.network;
  const NetObject* process = net.find(m_pathmon, ObjectKind::Process, name.mid(name.lastIndexOf('.') + 1));
  if (!process) {
    say("*** ERROR: PROCESS " + name + " NOT FOUND");
    return sayPrompt();
  }
  const QByteArray q = Layouts::qualified(net.systemName, net.pathmons[m_pathmon].name, process->name);
  if (m_ctx.options.refuse.contains(process->name)) {
    say("*** ERROR: MESSAGE CANNOT BE DELIVERED TO PROCESS " + q + ", FILE ERROR 11");
  } else {
    say("MESSAGE DELIVERED TO PROCESS " + q + ": " + text);
  }
  sayPrompt();
}

QByteArray HostDialogue::startLoggedOn(const QByteArray& user) {
  m_mode = Mode::Tacl;
  m_taclLoggedOn = true;
  m_taclUser = user;
  m_taclNumber = 1;
  return Layouts::taclLogonBanner(user.toUpper()) + prompt();
}

QByteArray HostDialogue::prompt() const {
  switch (m_mode) {
    case Mode::Menu:
      return "Enter Choice> ";
    case Mode::Ncp:
    case Mode::NcpPassword:
    case Mode::NcpRelogon:
      return Layouts::ncpcomPrompt(m_ctx.network.pathmons[m_pathmon].name);
    default:
      break;
  }
  if (!m_taclLoggedOn) return "TACL 1> ";
  const QByteArray group = m_taclUser.toUpper().split('.').first();
  if (m_subvolPrompt) return kVolume + "." + group + "> ";
  return kVolume + " " + group + " " + QByteArray::number(m_taclNumber) + "> ";
}

void HostDialogue::say(const QByteArray& line) { m_reply.text += line + "\r\n"; }

void HostDialogue::sayPrompt() { m_reply.text += prompt(); }

void HostDialogue::logout() {
  say("Session ended. Goodbye from \\" + m_ctx.network.systemName + ".");
  m_reply.logout = true;
}
