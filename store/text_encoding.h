#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace amiscan {

// The text of the program's two files. They are written in Windows-1252, as older installations
// wrote them ("²" is the byte B2), unless some character has no place in Windows-1252: then the
// whole file is written in UTF-8 behind a byte-order mark, so that no name is ever turned into
// "?". Only a file that starts with that mark is read as UTF-8; every other file is
// Windows-1252, even when its bytes happen to form UTF-8 ("JosÃ©" stays "JosÃ©"). Decoding what
// was encoded always gives the text back.
QByteArray encodeFileText(const QString &text);
QString decodeFileText(QByteArrayView bytes);

// Windows-1252 itself. The five bytes the code page leaves unassigned (81, 8D, 8F, 90, 9D) map
// to the code points of the same value, so every byte reads and writes back unchanged.
// Answers false, leaving out unspecified, when some character cannot be held.
bool toWindows1252(const QString &text, QByteArray &out);
QString fromWindows1252(QByteArrayView bytes);
// The same into a text given, which takes the bytes' length: a text read line by line reuses one.
void fromWindows1252(QByteArrayView bytes, QString &into);
// Whether the file's bytes are read as Windows-1252 (they do not start with UTF-8's mark).
bool isWindows1252File(QByteArrayView bytes);

} // namespace amiscan
