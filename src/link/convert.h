// Conversions of edit texts the way the program's handlers expect them.
#pragma once

#include <QString>
#include <optional>

namespace tarvik {

// A whole number in decimal (leading and trailing blanks allowed, optional sign), or a
// hexadecimal number written "$1F" or "0x1F". Nothing when the text is not a whole number or
// does not fit 32 bits.
std::optional<qint32> StrToInt(const QString& text);

// The text of the standard error display for a text that is not a whole number.
QString NotAnIntegerMessage(const QString& text);

} // namespace tarvik
