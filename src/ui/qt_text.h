#pragma once
// The only place that converts between Text (active code page) and QString.
#include "platform/text.h"

#include <QString>
#include <optional>

// For display: bytes that do not decode show as U+FFFD.
QString toQString(const Text& text);
// Into the code page: nullopt when a character cannot be represented.
std::optional<Text> fromQString(const QString& text);
// A fixed text of the program (UTF-8 literal) as a QString.
inline QString uiText(const char* utf8) { return QString::fromUtf8(utf8); }
