// The host's and the settings file's 8-bit text as the widgets show it.
#pragma once

#include <QString>
#include <string>

inline QString fromLatin1(const std::string& text) { return QString::fromLatin1(text.data(), qsizetype(text.size())); }
