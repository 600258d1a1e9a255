// ProcessSecrecy: the one place where the program asks the operating system
// to keep the passwords it holds out of core dumps. On Linux the process is
// made not dumpable, which also keeps other processes of the same user from
// reading its memory (ptrace, /proc/PID/mem); elsewhere it does nothing.
//
// Called once at the start of main() by ncpctl and the main window, before
// any password is read: both hold passwords until they end.
#pragma once

// True when the system took the request.
bool keepSecretsOutOfCoreDumps();
