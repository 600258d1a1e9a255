// Helpers for the simulator's tests: splitting host output into lines, taking
// columns, and walking a client through the TACL and NCP logons with the
// simulator's documented demo credentials.
#pragma once

#include <string>
#include <vector>

#include "RawTelnetClient.h"

namespace simtest {

inline const std::string kMenuPrompt = "Enter Choice> ";
inline const std::string kTaclUser = "OPS.OPER";
inline const std::string kTaclPassword = "secret1";
inline const std::string kNcpUser = "NCPOPER";
inline const std::string kNcpPassword = "secret2";

// Lines of host output without their line ends; the text after the last line
// feed (a prompt) is the last element.
std::vector<std::string> lines(const std::string& text);
// Columns from..to (1-based, inclusive) of a line; shorter when the line is.
std::string col(const std::string& line, int from, int to);
// Left-justified in width characters.
std::string pad(const std::string& text, size_t width);

// Sends line and returns the answer up to the first "> " (TACL and menu
// prompts) or " > " (the NCPCOM prompt).
std::string tacl(RawTelnetClient& client, const std::string& line);
std::string ncp(RawTelnetClient& client, const std::string& line);

// From connect to the SETPROMPT SUBVOL prompt; false if a step failed.
bool taclLogon(RawTelnetClient& client);
// TACL logon, then NCPCOM for pathmon and the NCP logon.
bool ncpLogon(RawTelnetClient& client, const std::string& pathmon = "$PM01");
// The object lines (a backslash in column 4) of a listing answer.
std::vector<std::string> objectLines(const std::string& answer);

}  // namespace simtest
