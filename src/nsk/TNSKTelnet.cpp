// TNSKTelnet: construction, the data handlers it installs on the connection,
// the standard termination checks and the debug transcript.
#include "nsk/TNSKTelnet.h"

#include <algorithm>
#include <cctype>
#include <memory>

#include "transport/Events.h"

// Marks a data handler as one of the session's own, so that a second logon
// never mistakes it for the owner's. The handler is shared so that replacing
// OnDataAvailable from inside the running handler does not free it mid-call.
struct TNSKTelnet::OwnDataHandler {
  const TNSKTelnet* session;
  std::shared_ptr<const TTnDataAvailable> handler;

  void operator()(TTnCnx* sender, const char* buffer, int len) const {
    const auto keepAlive = handler;
    (*keepAlive)(sender, buffer, len);
  }
};

void RequireSafeCommandText(const std::string& text, const char* what) {
  const bool unsafe = std::any_of(text.begin(), text.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 32 || byte == 127;
  });
  if (unsafe) throw EUnsafeCommandText(std::string(what) + " contains a control character");
}

void RequireCommandWord(const std::string& text, const char* what) {
  RequireSafeCommandText(text, what);
  if (text.empty()) throw EUnsafeCommandText(std::string(what) + " is empty");
}

void RequireSafeObjectName(const std::string& name, const char* what) {
  RequireCommandWord(name, what);
  if (name.find_first_of(" ,'\";") != std::string::npos)
    throw EUnsafeCommandText(std::string(what) + " \"" + name +
                             "\" holds a blank, comma, quote or semicolon, which would change the command");
}

TNSKTelnet::TNSKTelnet(QObject* owner) : TTnCnx(owner) { OnCheckCmdTermination = PromptEndCheck(); }

TNSKTelnet::~TNSKTelnet() {
  m_pendingChunks.clear();
  m_commandQueue.clear();
  // The connection may still deliver while it closes; none of that may reach
  // a session that is being destroyed.
  if (OwnDataHandlerInstalled()) RestoreOwnerDataHandler();
}

void TNSKTelnet::CheckPromptEnd(TTnCnx*, std::string& currLine, bool& bterminate) {
  const size_t n = currLine.size();
  bterminate = n >= 2 && currLine[n - 2] == '>' && currLine[n - 1] == ' ';
}

void TNSKTelnet::CheckPromptEqual(TTnCnx*, std::string& currLine, bool& bterminate) {
  bterminate = currLine == ExpectedPrompt;
}

TNSKTelnetCheckCmdTermination TNSKTelnet::PromptEndCheck() {
  return
      [this](TTnCnx* sender, std::string& currLine, bool& bterminate) { CheckPromptEnd(sender, currLine, bterminate); };
}

TNSKTelnetCheckCmdTermination TNSKTelnet::PromptEqualCheck() { return ExactPromptCheck{this}; }

void TNSKTelnet::InstallOwnDataHandler(TTnDataAvailable handler) {
  if (!OwnDataHandlerInstalled()) m_ownerDataHandler = OnDataAvailable;
  OnDataAvailable = OwnDataHandler{this, std::make_shared<const TTnDataAvailable>(std::move(handler))};
}

void TNSKTelnet::RestoreOwnerDataHandler() { OnDataAvailable = m_ownerDataHandler; }

bool TNSKTelnet::OwnDataHandlerInstalled() const {
  const auto* own = OnDataAvailable.target<OwnDataHandler>();
  return own != nullptr && own->session == this;
}

void TNSKTelnet::AddDebugSecret(const std::string& secret) {
  if (secret.empty()) return;
  if (std::find(m_debugSecrets.begin(), m_debugSecrets.end(), secret) != m_debugSecrets.end()) return;
  m_debugSecrets.push_back(secret);
}

void TNSKTelnet::Debug(TTnCnx* sender, const std::string& text) {
  if (!OnDebug) return;
  const std::string masked = MaskSecrets(text);
  const auto debug = OnDebug;
  debug(sender, masked);
}

std::string TNSKTelnet::MaskSecrets(const std::string& text) const {
  std::vector<const std::string*> secrets;
  if (!Password.empty()) secrets.push_back(&Password);
  for (const auto& secret : m_debugSecrets) secrets.push_back(&secret);
  // Longest first: a secret that contains a shorter one must not leave its
  // remainder readable.
  std::stable_sort(secrets.begin(), secrets.end(),
                   [](const std::string* a, const std::string* b) { return a->size() > b->size(); });
  // Letter case is ignored: hosts upper-case what they quote back
  // ("UNKNOWN COMMAND SECRET2"), and that must not reveal the password either.
  std::string masked = text;
  const auto sameLetter = [](char a, char b) {
    return std::toupper(static_cast<unsigned char>(a)) == std::toupper(static_cast<unsigned char>(b));
  };
  for (const std::string* secret : secrets) {
    for (auto it = std::search(masked.begin(), masked.end(), secret->begin(), secret->end(), sameLetter);
         it != masked.end();) {
      const auto pos = static_cast<size_t>(it - masked.begin());
      masked.replace(pos, secret->size(), "****");
      it = std::search(masked.begin() + static_cast<std::ptrdiff_t>(pos + 4), masked.end(), secret->begin(),
                       secret->end(), sameLetter);
    }
  }
  return masked;
}
