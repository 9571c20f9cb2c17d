#include "store/characters.h"

#include <algorithm>

namespace amiscan {

qsizetype characterCount(QStringView text)
{
    qsizetype count = 0;
    for (qsizetype i = 0; i < text.size(); ++i, ++count) {
        if (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
    }
    return count;
}

QStringView leftCharacters(QStringView text, qsizetype count)
{
    qsizetype end = 0;
    for (qsizetype taken = 0; taken < count && end < text.size(); ++taken) {
        const bool pair = text.at(end).isHighSurrogate() && end + 1 < text.size() &&
                          text.at(end + 1).isLowSurrogate();
        end += pair ? 2 : 1;
    }
    return text.first(end);
}

void mendHalfCharacters(QChar *chars, qsizetype size)
{
    for (qsizetype i = 0; i < size; ++i) {
        if (!chars[i].isSurrogate())
            continue;
        if (chars[i].isHighSurrogate() && i + 1 < size && chars[i + 1].isLowSurrogate())
            ++i;
        else
            chars[i] = QChar::ReplacementCharacter;
    }
}

QString wholeCharacters(QString text)
{
    // Most texts hold no half at all: those are not copied.
    const auto isSurrogate = [](QChar c) { return c.isSurrogate(); };
    const QStringView units(text);
    const qsizetype first = std::find_if(units.begin(), units.end(), isSurrogate) - units.begin();
    if (first < text.size())
        mendHalfCharacters(text.data() + first, text.size() - first);
    return text;
}

QStringView trimBlanks(QStringView text)
{
    while (!text.isEmpty() && text.front() == u' ')
        text = text.sliced(1);
    while (!text.isEmpty() && text.back() == u' ')
        text.chop(1);
    return text;
}

QList<QStringView> textLines(QStringView text)
{
    QList<QStringView> lines;
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = start;
        while (end < text.size() && text.at(end) != u'\n' && text.at(end) != u'\r')
            ++end;
        lines << text.mid(start, end - start);
        const bool crLf =
            end + 1 < text.size() && text.at(end) == u'\r' && text.at(end + 1) == u'\n';
        start = end + (crLf ? 2 : 1);
    }
    return lines;
}

QString onOneLine(QString text)
{
    text.replace(u'\r', u' ');
    text.replace(u'\n', u' ');
    return text;
}

void putOnOneLine(QChar *chars, qsizetype size)
{
    std::replace_if(
        chars, chars + size, [](QChar c) { return c == u'\r' || c == u'\n'; }, QChar(u' '));
}

} // namespace amiscan
