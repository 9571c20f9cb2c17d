#include "store/profile_file.h"

#include "store/characters.h"
#include "store/safe_file.h"
#include "store/secret_wipe.h"
#include "store/text_encoding.h"

namespace amiscan {

namespace {

// The name of a section header line "[Name]", or a null view for any other line. Views, not
// copies: every look-up of a key reads the lines again.
QStringView sectionName(QStringView line)
{
    const QStringView trimmed = line.trimmed();
    if (!trimmed.startsWith(u'['))
        return {};
    const qsizetype close = trimmed.indexOf(u']');
    const QStringView name = trimmed.mid(1, close < 0 ? -1 : close - 1).trimmed();
    return name.isNull() ? QStringView(u"") : name;
}

// The key of a "key=value" line, or a null view when the line has no "=".
QStringView keyName(QStringView line)
{
    const qsizetype equals = line.indexOf(u'=');
    if (equals < 0)
        return {};
    const QStringView key = line.left(equals).trimmed();
    return key.isNull() ? QStringView(u"") : key;
}

bool isQuote(QChar c)
{
    return c == u'"' || c == u'\'';
}

bool quotedPair(const QString &text)
{
    return text.size() >= 2 && isQuote(text.front()) && text.back() == text.front();
}

// A value as it must be written so that it reads back unchanged: quoted when its surrounding
// blanks or quotes would otherwise be dropped on reading. Line breaks become blanks, since they
// would end the line and start another.
QString storedValue(QString value)
{
    value = onOneLine(std::move(value));
    if (trimBlanks(value) != value || quotedPair(value))
        return u'"' + value + u'"';
    return value;
}

} // namespace

ProfileFile::ProfileFile(const QString &text)
{
    for (const QStringView line : textLines(text))
        m_lines << line.toString();
}

ProfileFile::~ProfileFile()
{
    wipeLines(m_lines);
}

bool ProfileFile::load(const QString &path)
{
    wipeLines(m_lines);
    if (!fileExists(path))
        return true;
    QByteArray bytes;
    if (!readWholeFile(path, bytes))
        return false;
    QString text = decodeFileText(bytes);
    wipe(bytes);
    *this = ProfileFile(text);
    wipe(text);
    return true;
}

bool ProfileFile::save(const QString &path, QString *error) const
{
    QByteArray bytes = toBytes();
    const bool saved = replaceFileSafely(path, bytes, error);
    wipe(bytes);
    return saved;
}

QByteArray ProfileFile::toBytes() const
{
    QString text;
    for (const QString &line : m_lines) {
        text += line;
        text += QStringLiteral("\r\n");
    }
    QByteArray bytes = encodeFileText(text);
    wipe(text);
    return bytes;
}

qsizetype ProfileFile::findSection(const QString &section) const
{
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        const QStringView name = sectionName(m_lines.at(i));
        if (!name.isNull() && name.compare(section, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

qsizetype ProfileFile::findKey(qsizetype sectionLine, const QString &key) const
{
    for (qsizetype i = sectionLine + 1; i < m_lines.size(); ++i) {
        const QString &line = m_lines.at(i);
        if (!sectionName(line).isNull())
            return -1;
        const QStringView name = keyName(line);
        if (!name.isNull() && name.compare(key, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

qsizetype ProfileFile::sectionEnd(qsizetype sectionLine) const
{
    qsizetype end = sectionLine + 1;
    for (qsizetype i = sectionLine + 1; i < m_lines.size(); ++i) {
        if (!sectionName(m_lines.at(i)).isNull())
            break;
        if (!m_lines.at(i).trimmed().isEmpty())
            end = i + 1;
    }
    return end;
}

QString ProfileFile::value(const QString &section, const QString &key) const
{
    const qsizetype sectionLine = findSection(section);
    if (sectionLine < 0)
        return {};
    const qsizetype keyLine = findKey(sectionLine, key);
    if (keyLine < 0)
        return {};
    const QString &line = m_lines.at(keyLine);
    QString value = trimBlanks(QStringView(line).sliced(line.indexOf(u'=') + 1)).toString();
    if (quotedPair(value))
        value = value.mid(1, value.size() - 2);
    return value;
}

void ProfileFile::setValue(const QString &section, const QString &key, const QString &value)
{
    const QString line = key + u'=' + storedValue(value);
    qsizetype sectionLine = findSection(section);
    if (sectionLine < 0) {
        m_lines << u'[' + section + u']' << line;
        return;
    }
    const qsizetype keyLine = findKey(sectionLine, key);
    if (keyLine >= 0) {
        wipe(m_lines[keyLine]);
        m_lines[keyLine] = line;
    } else
        m_lines.insert(sectionEnd(sectionLine), line);
}

void ProfileFile::removeValue(const QString &section, const QString &key)
{
    const qsizetype sectionLine = findSection(section);
    const qsizetype keyLine = sectionLine < 0 ? -1 : findKey(sectionLine, key);
    if (keyLine >= 0) {
        wipe(m_lines[keyLine]);
        m_lines.removeAt(keyLine);
    }
}

} // namespace amiscan
