// --stdio: one session on standard input and output, starting at the TACL
// prompt of the TACL user, for an SSH server's forced command. A terminal
// there is put into raw mode, so the echo and the line ends are the
// simulator's own, as over telnet. The program ends with the session.
#pragma once

class SimServer;
struct SimOptions;

// False when the session cannot be set up.
bool serveStdio(SimServer& server, const SimOptions& options);
