#include "transport/RevokedHostKeys.h"

#include <libssh/libssh.h>

#include <fstream>
#include <sstream>
#include <string>

namespace {

// "@revoked HOSTS TYPE BASE64 [COMMENT]" lines holding key.
bool listsRevoked(const char* path, ssh_key key) {
  std::ifstream file(path);
  std::string line;
  while (std::getline(file, line)) {
    std::istringstream words(line);
    std::string marker, hosts, type, blob;
    if (!(words >> marker >> hosts >> type >> blob) || marker != "@revoked") continue;
    ssh_key listed = nullptr;
    if (ssh_pki_import_pubkey_base64(blob.c_str(), ssh_key_type_from_name(type.c_str()), &listed) != SSH_OK) continue;
    const bool same = ssh_key_cmp(listed, key, SSH_KEY_CMP_PUBLIC) == 0;
    ssh_key_free(listed);
    if (same) return true;
  }
  return false;
}

}  // namespace

bool isRevokedHostKey(ssh_session session, ssh_key key) {
  for (const auto option : {SSH_OPTIONS_KNOWNHOSTS, SSH_OPTIONS_GLOBAL_KNOWNHOSTS}) {
    char* path = nullptr;
    if (ssh_options_get(session, option, &path) != SSH_OK) continue;
    const bool revoked = listsRevoked(path, key);
    ssh_string_free_char(path);
    if (revoked) return true;
  }
  return false;
}
