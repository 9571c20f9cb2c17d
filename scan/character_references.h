#pragma once

#include <QString>
#include <QStringView>

namespace amiscan {

// The text with its character references replaced by the characters they stand for, as a browser
// reads a page's text: named ones ("&amp;", "&nbsp;", "&eacute;", every name of the common set)
// and numeric ones, decimal ("&#039;") or hexadecimal ("&#x27;"), the ";" after a number being
// optional. A number that names no character (zero, a surrogate, beyond U+10FFFF) gives U+FFFD,
// and the numbers 128 to 159 the Windows-1252 characters of those bytes, as browsers give them.
// Anything else that starts with "&" stays as it is.
QString decodeCharacterReferences(QStringView text);

} // namespace amiscan
