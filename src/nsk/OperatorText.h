// Operator text as the host reads it. The host's character set is Latin-1;
// what the operator types (in the login dialog or on ncpctl's command line)
// arrives as a QString. A character Latin-1 cannot hold would go out as "?",
// a text the operator never chose, so it is refused instead. Used by both
// front ends wherever operator text becomes bytes for the session.
#pragma once

#include <QString>
#include <string>

// The Latin-1 bytes of text. Throws EUnsafeCommandText ("<what> holds a
// character outside Latin-1") when a character has no Latin-1 byte; an
// undecodable byte of the command line is one too (it arrives as U+FFFD).
std::string RequireLatin1Text(const QString& text, const char* what);

// The Latin-1 bytes of UTF-8 text (a password from a terminal or a pipe), in
// a string that never reallocates, so no copy of a secret is left behind.
// Throws EUnsafeCommandText as above, also for bytes that are not UTF-8.
std::string Latin1FromUtf8(const std::string& utf8, const char* what);
