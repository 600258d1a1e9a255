// The message box of a refused logon. Its text stays "Password salah", an
// information box for TACL and an error box for NCP; below it the box says
// which logon was refused and what the host answered, so the two read apart.
// Used by the main window.
#pragma once

#include <string>

class QWidget;

enum class RefusedLogon { Tacl, Ncp };

// hostLine: the host's own last line to the logon; empty when none came.
void ShowLogonRefused(QWidget* parent, RefusedLogon logon, const std::string& hostLine);
