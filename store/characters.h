#pragma once

#include <QList>
#include <QString>
#include <QStringView>

#include <algorithm>

namespace amiscan {

// Texts measured and cut by characters, never inside one: a character outside the basic plane
// takes two 16-bit units, and half of it shown or stored is no character at all.

// The number of characters in the text.
qsizetype characterCount(QStringView text);

// The first count characters of the text (all of it when it is shorter).
QStringView leftCharacters(QStringView text, qsizetype count);

// The text with any half of a character that was cut apart replaced by U+FFFD, which any file
// holds and gives back.
QString wholeCharacters(QString text);
// The same in place, for text copied into a buffer of one's own.
void mendHalfCharacters(QChar *chars, qsizetype size);

// The mark of a display name replaced by the user name (superscript two), in the pages, the
// table and the history file.
inline const QString SubstitutedNameMark = QStringLiteral("\u00B2");

// Gives each line of a file's text, or of its bytes, in turn: CR LF, a lone LF or a lone CR ends
// a line; text after the last line end is a last line.
template <typename View, typename Take> void forEachLine(View text, Take take)
{
    // The next LF and the next CR, each looked for once.
    using Unit = typename View::value_type;
    const auto next = [&](char16_t c, qsizetype from) {
        const qsizetype at = text.indexOf(Unit(c), from);
        return at < 0 ? text.size() : at;
    };
    qsizetype lineFeed = -1;
    qsizetype carriageReturn = -1;
    qsizetype start = 0;
    while (start < text.size()) {
        if (lineFeed < start)
            lineFeed = next(u'\n', start);
        if (carriageReturn < start)
            carriageReturn = next(u'\r', start);
        const qsizetype end = std::min(lineFeed, carriageReturn);
        take(text.sliced(start, end - start));
        const bool crLf = end + 1 < text.size() && text.at(end) == '\r' && text.at(end + 1) == '\n';
        start = end + (crLf ? 2 : 1);
    }
}
// The lines of a file's text, as forEachLine() gives them.
QList<QStringView> textLines(QStringView text);
// The text kept on one line: every line break becomes a blank.
QString onOneLine(QString text);
// The same in place.
void putOnOneLine(QChar *chars, qsizetype size);

// The text without its leading and trailing blanks (U+0020 only; tabs, no-break spaces and the
// other Unicode spaces belong to the text).
QStringView trimBlanks(QStringView text);

// A name as the program keeps and shows it, whatever the page held: each run of line breaks and
// tabs one blank (so that the history file, which keeps every name on one line, gives it back as
// it is), the other control characters, the bidirectional controls and the invisible format
// characters (zero-width spaces and joiners, marks) left out, half characters mended, and no
// blanks around it.
QString cleanName(QStringView text);

// Whether the name holds a character that can reorder the text around it when shown: a letter
// written right to left, an Arabic digit or a bidirectional control.
bool mayReorderAround(QStringView name);
// The name between a first-strong isolate and its closing mark, without bidirectional controls
// of its own: shown in its own direction, it moves nothing around it. The marks take no room.
QString isolated(QStringView name);
inline constexpr char16_t IsolateStart = u'\u2068';
inline constexpr char16_t IsolateEnd = u'\u2069';

} // namespace amiscan
