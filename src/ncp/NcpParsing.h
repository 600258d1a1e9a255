// The rules by which host output is read: line tests, field rules by event
// code, the name split, status words, and the classification of an NCPCOM
// partial line (page prompt, prompt, neither). Pure functions over bytes,
// shared by the session, the window and the headless console.
//
// Columns are counted from 1 on the output line; in an event text (three-digit
// code + line) position p is column p - 3. Taking positions a to b means the
// characters that exist there; comparisons are case-sensitive.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ncp/XPNetTypes.h"

namespace ncp {

// Characters a..b (1-based, inclusive) of text, as many as exist.
std::string positions(std::string_view text, size_t a, size_t b);
// Removes leading and trailing blanks.
std::string trim(std::string_view text);

// Line tests on one output line.
bool isSystemLine(std::string_view line);   // 1st character is a backslash
bool isPathmonLine(std::string_view line);  // 10th character is "B"
bool isObjectLine(std::string_view line);   // 4th character is a backslash
bool isStationLine(std::string_view line);  // 2nd character is "E"
// The host refused a command: after leading blanks the line starts with
// "*** ERROR" (NCPCOM) or "*ERROR*" (TACL). Warnings are no refusal.
bool isErrorLine(std::string_view line);

// The status the host's word names, blanks around it trimmed; abnormal for
// any other text.
TXPNetStatus StatusFromText(std::string_view text);

// The delimiter split of a qualified name field ("." delimiter, '"' quote,
// blanks end a part; control characters belong to the part they stand in).
// A zero byte ends the field, as it ends the host's string.
std::vector<std::string> splitName(std::string_view field);

// Field rules on event texts. An object name is the third part of the name
// split, trimmed; a field with fewer than three parts, or an empty third part,
// has no name (nullopt), so no caller acts on an empty or wrong name.
std::string hostName(std::string_view eventText);                   // 003: positions 5..18, not trimmed
std::string pathmonName(std::string_view eventText);                // 004: positions 4..12, trimmed
std::optional<std::string> objectName(std::string_view eventText);  // 005, 009, 010, 011, 013
TXPNetStatus objectStatus(std::string_view eventText);              // 005, 010, 011, 013
std::string stationLineName(std::string_view eventText);            // 009: positions 50..65, trimmed
std::string stationProcessName(std::string_view eventText);         // 009: positions 67..82, trimmed

// What an NCPCOM listing's partial line is: a page prompt to answer with an
// empty line, the NCPCOM prompt that ends the listing, or neither.
enum class NcpPartialLine { PagePrompt, Prompt, Continues };
NcpPartialLine classifyNcpPartialLine(std::string_view currLine);

// A page prompt that has arrived whole: NCPCOM's own page prompt text, with or
// without its trailing blank. Anything else may be the start of a prompt that
// the reads cut short, even one that ends in a blank ("MORE " of "MORE (...").
bool isWholePagePrompt(std::string_view currLine);

}  // namespace ncp
