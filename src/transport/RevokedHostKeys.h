// RevokedHostKeys: the host keys a known-hosts file marks "@revoked", which
// libssh's own check passes over as if the line were not there. Such a key is
// never trusted, as OpenSSH refuses it, and here whatever host names the line
// gives: a key revoked for one host is trusted for none.
#pragma once

struct ssh_session_struct;
struct ssh_key_struct;

// Whether the user's or the system's known-hosts file of the session (as
// libssh reads them; the options are applied once it has connected) marks
// key revoked. A file that cannot be read marks none.
bool isRevokedHostKey(ssh_session_struct* session, ssh_key_struct* key);
