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

QString cleanName(QStringView text)
{
    QString name;
    name.reserve(text.size());
    bool inBreak = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text.at(i).unicode();
        const bool pair =
            text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate();
        if (pair)
            c = QChar::surrogateToUcs4(text.at(i), text.at(i + 1));
        else if (QChar::isSurrogate(c))
            c = QChar::ReplacementCharacter;
        // Line breaks of every kind and tabs part words: each run of them stands as one blank.
        const bool separator = c == u'\t' || c == u'\n' || c == u'\v' || c == u'\f' || c == u'\r' ||
                               c == 0x85 || QChar::category(c) == QChar::Separator_Line ||
                               QChar::category(c) == QChar::Separator_Paragraph;
        if (separator) {
            if (!inBreak)
                name.append(u' ');
        } else if (QChar::category(c) != QChar::Other_Control &&
                   QChar::category(c) != QChar::Other_Format) {
            name.append(QStringView(QChar::fromUcs4(c)));
        }
        inBreak = separator;
        i += pair ? 1 : 0;
    }
    return trimBlanks(name).toString();
}

namespace {

bool isBidiControl(QChar::Direction direction)
{
    switch (direction) {
    case QChar::DirLRE:
    case QChar::DirLRO:
    case QChar::DirRLE:
    case QChar::DirRLO:
    case QChar::DirPDF:
    case QChar::DirLRI:
    case QChar::DirRLI:
    case QChar::DirFSI:
    case QChar::DirPDI:
        return true;
    default:
        return false;
    }
}

} // namespace

bool mayReorderAround(QStringView name)
{
    for (qsizetype i = 0; i < name.size(); ++i) {
        // Every character before Hebrew is written left to right or takes the direction of the
        // text around it.
        if (name.at(i).unicode() < 0x0590)
            continue;
        char32_t c = name.at(i).unicode();
        if (name.at(i).isHighSurrogate() && i + 1 < name.size() &&
            name.at(i + 1).isLowSurrogate()) {
            c = QChar::surrogateToUcs4(name.at(i), name.at(i + 1));
            ++i;
        }
        const QChar::Direction direction = QChar::direction(c);
        if (direction == QChar::DirR || direction == QChar::DirAL || direction == QChar::DirAN ||
            isBidiControl(direction))
            return true;
    }
    return false;
}

QString isolated(QStringView name)
{
    // A control of its own inside would end the isolate early, or reach past it.
    QString text = name.toString();
    text.removeIf([](QChar c) { return isBidiControl(c.direction()); });
    return text.prepend(QChar(IsolateStart)).append(QChar(IsolateEnd));
}

QList<QStringView> textLines(QStringView text)
{
    QList<QStringView> lines;
    forEachLine(text, [&](QStringView line) { lines << line; });
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
