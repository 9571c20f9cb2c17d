#include "store/history_file.h"

#include "store/characters.h"
#include "store/files_log.h"
#include "store/safe_file.h"
#include "store/text_arena.h"
#include "store/text_encoding.h"
#include "store/time_text.h"

#include <algorithm>
#include <optional>

namespace amiscan::history {

namespace {

// Widths of a time stamp and a session length. Session cells are written at full width: an
// empty or short cell left as it is would move every later column of its line and spoil the
// line when read back.
constexpr int StampWidth = 14;
constexpr int LengthWidth = 5;

// A session cell as the file keeps it. One wider than its column would push the rest of its
// line out of place, further at every save; it can hold no stamp or length anyway, so it stands
// as "no value". Reading applies the same rule, so that a file read and written reads back as
// the same table.
QString keptCell(const QString &text, int width)
{
    if (text.size() <= width)
        return text;
    return width == StampWidth ? EmptyStamp : EmptyLength;
}

QString countHeader(int count)
{
    return QStringLiteral("Friends (") + QString::number(count) + u')';
}

// A cell kept on one line (a line break inside a name would split the friend in two) and of
// whole characters (half of one has no encoding).
QString oneLine(const QString &text)
{
    return wholeCharacters(onOneLine(text));
}

// 1-based position of the first ch at or after the 1-based position from, 0 when none.
int find(QStringView s, QChar ch, int from)
{
    return int(s.indexOf(ch, std::max(from, 1) - 1)) + 1;
}

// What the file gives for a name or cell: without its surrounding blanks, and whole characters
// only (a column may cut one apart).
QString value(QStringView text)
{
    return wholeCharacters(trimBlanks(text).toString());
}

// The same for a name, made in the arena when it is whole characters already, as nearly all are.
QString nameValue(QStringView text, TextArena &arena)
{
    const QStringView trimmed = trimBlanks(text);
    if (trimmed.isEmpty() ||
        std::any_of(trimmed.begin(), trimmed.end(), [](QChar c) { return c.isSurrogate(); }))
        return value(text);
    return arena.make(trimmed);
}

// The k characters of s from the 1-based position a, trimmed; empty outside the text.
QString mid(QStringView s, int a, int k)
{
    if (a < 1 || k <= 0 || a > s.size())
        return {};
    return value(s.mid(a - 1, k));
}

// The positions that the header line gives to the columns of the friend lines.
struct Columns
{
    int p1 = 0; // the ":" ending the name column
    int d1 = 0;
    int d2 = 0;
    int c2 = 0;
    int wS = 0;
    int wE = 0;
    int wL = 0;
    int pF = 0; // end of the older layout's lines
    int pX = 0; // the selection mark, when the header has the newer columns
    int pU = 0; // the user name
    bool usable() const { return p1 > 0 && d1 > 0 && d2 > 0 && c2 > 0; }
    bool hasUserColumn() const { return pX > 1 && pU > pX; }
};

Columns columnsOf(QStringView header)
{
    Columns c;
    c.p1 = find(header, u':', 1);
    if (c.p1 == 0)
        return c;
    c.d1 = find(header, u'-', c.p1 + 1);
    if (c.d1 == 0)
        return c;
    c.wS = c.d1 - c.p1 - 1;
    c.d2 = find(header, u'-', c.d1 + 2);
    if (c.d2 == 0)
        return c;
    c.wE = c.d2 - c.d1 - 1;
    c.c2 = find(header, u':', c.d2 + 2);
    if (c.c2 == 0)
        return c;
    c.wL = c.c2 - c.d2 - 1;
    c.pF = c.c2 + 1 + c.wS + 1 + c.wE + 1 + c.wL;
    if (header.size() > c.pF) {
        const int x = find(header, u':', c.pF);
        if (x > 0) {
            c.pX = x + 1;
            const int u = find(header, u':', c.pX);
            if (u > 0)
                c.pU = u + 1;
        }
    }
    return c;
}

void appendFriendLine(QStringView line, const Columns &c, FriendsTable &table, TextArena &names)
{
    const int row = table.appendFriend();
    if (row < 0)
        return;
    QStringView name = trimBlanks(c.p1 > 0 ? line.left(c.p1 - 1) : line);
    const auto cell = [&](int column, int from, int width, int kept) {
        // Most cells are whole characters already and repeat in other rows: those are looked up
        // in the table as they stand in the line.
        const QStringView text = from >= 1 && from <= line.size() && width > 0
                                     ? trimBlanks(line.sliced(from - 1).first(
                                           std::min<qsizetype>(width, line.size() - from + 1)))
                                     : QStringView();
        if (std::none_of(text.begin(), text.end(), [](QChar c) { return c.isSurrogate(); }))
            table.setCell(row, column,
                          text.size() <= kept  ? text
                          : kept == StampWidth ? QStringView(EmptyStamp)
                                               : QStringView(EmptyLength));
        else
            table.setCell(row, column, keptCell(mid(line, from, width), kept));
    };
    cell(Start1, c.p1 + 1, c.wS, StampWidth);
    cell(End1, c.d1 + 1, c.wE, StampWidth);
    cell(Length1, c.d2 + 1, c.wL, LengthWidth);
    cell(Start2, c.c2 + 1, c.wS, StampWidth);
    cell(End2, c.c2 + c.wS + 2, c.wE, StampWidth);
    cell(Length2, c.c2 + c.wS + c.wE + 3, c.wL, LengthWidth);
    if (name.endsWith(SubstitutedNameMark)) {
        // Blanks before the mark go too: the name must read the same once written back as
        // name and mark, whichever layout it came from.
        name.chop(SubstitutedNameMark.size());
        table.setCell(row, NameMark, SubstitutedNameMark);
    }
    const QString displayName = nameValue(name, names);
    table.setCell(row, DisplayName, displayName);
    table.setCell(row, ManagePos, QStringLiteral("-1"));
    table.setCell(row, Online, QStringLiteral("0"));
    if (line.size() > c.pF && c.hasUserColumn()) {
        const bool unselected = mid(line, c.pX, c.pU - c.pX - 1) == u"X";
        table.setCell(row, Unselected, unselected ? QStringLiteral("1") : QStringLiteral("0"));
        table.setCell(row, AccountName, nameValue(line.mid(c.pU - 1), names));
    } else {
        // The older layout: a "." in place of the name column's ":" marks an unselected friend,
        // and the display name stands for the user name.
        const bool unselected = c.p1 > 0 && c.p1 <= line.size() && line.at(c.p1 - 1) == u'.';
        table.setCell(row, Unselected, unselected ? QStringLiteral("1") : QStringLiteral("0"));
        table.setCell(row, AccountName, displayName);
    }
}

} // namespace

namespace {

// Writes the file's text into a buffer sized beforehand: appending short texts to a QString one
// by one costs more than all the rest of a save at the table's limit.
class TextWriter final
{
public:
    explicit TextWriter(qsizetype size) : m_text(size, Qt::Uninitialized) {}

    qsizetype position() const { return m_at; }
    void put(QStringView text)
    {
        std::copy(text.begin(), text.end(), room(text.size()));
        m_at += text.size();
    }
    void put(QChar ch)
    {
        *room(1) = ch;
        ++m_at;
    }
    // The text on one line (a line break inside a name would split the friend in two) and of
    // whole characters (half of one has no encoding), as oneLine() gives it.
    void putOneLine(QStringView text)
    {
        QChar *const chars = room(text.size());
        std::copy(text.begin(), text.end(), chars);
        m_at += text.size();
        putOnOneLine(chars, text.size());
        mendHalfCharacters(chars, text.size());
    }
    void fill(QChar ch, qsizetype count)
    {
        std::fill_n(room(count), count, ch);
        m_at += count;
    }
    // Blanks up to the width from the position (never cuts).
    void padFrom(qsizetype from, qsizetype width)
    {
        if (const qsizetype blanks = from + width - m_at; blanks > 0)
            fill(u' ', blanks);
    }
    QString take()
    {
        m_text.truncate(m_at);
        return std::move(m_text);
    }

private:
    // Where the next n characters go; the buffer grows should the size asked for be short.
    QChar *room(qsizetype n)
    {
        if (m_at + n > m_text.size())
            m_text.resize(std::max(2 * m_text.size(), m_at + n));
        return m_text.data() + m_at;
    }

    QString m_text;
    qsizetype m_at = 0;
};

// The width of the name column: the longest name or count header and a blank, at least the
// minimum.
int nameWidth(const FriendsTable &table)
{
    qsizetype longest = countHeader(table.friendCount()).size();
    for (int row = 1; row <= table.friendCount(); ++row)
        longest = std::max(longest, table.cellText(row, DisplayName).size());
    return std::max<int>(MinNameWidth, int(longest) + 1);
}

// The rows in the order of their names in the file: the names as written, by the collation.
QList<int> rowsByFileName(const FriendsTable &table, const Collation &collation)
{
    QStringList names;
    names.reserve(table.friendCount());
    for (int row = 1; row <= table.friendCount(); ++row)
        names << oneLine(table.cellText(row, DisplayName));
    QList<int> rows = collation.order(names);
    for (int &row : rows)
        ++row;
    return rows;
}

// The whole file as text, each line ended by CR LF, the friends in the given order of rows.
QString fileText(const FriendsTable &table, const QString &lastScanStamp, const QList<int> &rows)
{
    static const QString LineEnd = QStringLiteral("\r\n");
    static const QString Dash = QStringLiteral(" - ");
    static const QString Arrow = QStringLiteral(" > ");
    static const QString Colon = QStringLiteral(" : ");
    // A friend's line beside its name and user name: ": ", the session cells, their separators,
    // the mark for unselected and the line end.
    constexpr qsizetype LineBesideNames = 2 + 4 * StampWidth + 2 * LengthWidth + 7 * 3 + 1 + 2;

    const int width = nameWidth(table);
    const QString stamp =
        lastScanStamp.isEmpty() ? QString() : QStringLiteral(" (") + oneLine(lastScanStamp) + u')';
    qsizetype size =
        2 * (width + LineEnd.size()) + ColumnHeader.size() + stamp.size() + RuleTail.size();
    for (const int row : rows) {
        const qsizetype name =
            table.cellText(row, DisplayName).size() + table.cellText(row, NameMark).size();
        size += std::max<qsizetype>(width, name) + LineBesideNames +
                table.cellText(row, AccountName).size();
    }

    TextWriter out(size);
    out.put(countHeader(table.friendCount()));
    out.padFrom(0, width);
    out.put(ColumnHeader);
    out.put(stamp);
    out.put(LineEnd);
    out.fill(u'-', width);
    out.put(RuleTail);
    out.put(LineEnd);

    for (const int row : rows) {
        const qsizetype lineStart = out.position();
        out.putOneLine(table.cellText(row, DisplayName));
        out.putOneLine(table.cellText(row, NameMark));
        out.padFrom(lineStart, width);
        out.put(u':');
        out.put(u' ');
        // A session cell wider than its column holds no value (see keptCell).
        const auto cell = [&](int column, int width) {
            const QString &text = table.cellText(row, column);
            const qsizetype cellStart = out.position();
            if (text.size() <= width)
                out.putOneLine(text);
            else
                out.put(width == StampWidth ? EmptyStamp : EmptyLength);
            out.padFrom(cellStart, width);
        };
        cell(Start1, StampWidth);
        out.put(Dash);
        cell(End1, StampWidth);
        out.put(Arrow);
        cell(Length1, LengthWidth);
        out.put(Colon);
        cell(Start2, StampWidth);
        out.put(Dash);
        cell(End2, StampWidth);
        out.put(Arrow);
        cell(Length2, LengthWidth);
        out.put(Colon);
        out.put(table.cellText(row, Unselected) == QLatin1StringView("1") ? u'X' : u'-');
        out.put(Colon);
        out.putOneLine(table.cellText(row, AccountName));
        out.put(LineEnd);
    }
    return out.take();
}

} // namespace

QByteArray formatFile(const FriendsTable &table, const QString &lastScanStamp,
                      const Collation &collation)
{
    return encodeFileText(fileText(table, lastScanStamp, rowsByFileName(table, collation)));
}

QByteArray Formatter::format(const FriendsTable &table, const QString &lastScanStamp)
{
    // Names that are written otherwise than they are held are ordered as written, in full.
    bool namesAsHeld = true;
    for (int row = 1; row <= table.friendCount() && namesAsHeld; ++row)
        namesAsHeld = oneLine(table.cellText(row, DisplayName)) == table.cellText(row, DisplayName);
    const QList<int> rows = namesAsHeld ? m_order.rows(table, DisplayName, m_collation)
                                        : rowsByFileName(table, m_collation);
    return encodeFileText(fileText(table, lastScanStamp, rows));
}

namespace {

// Takes a history's lines one at a time, so that a file's text need not be held whole. Empty
// lines carry no meaning, nor do lines of blanks: no friend line is blank. The first line that
// is not is the header, the second its ruler, the others friends.
class LineReader final
{
public:
    // Lines: about as many as will be given (room is made for that many friend rows).
    LineReader(FriendsTable &table, qsizetype lines) : m_table(table), m_lines(lines) {}

    void take(QStringView line)
    {
        if (line.trimmed().isEmpty())
            return;
        if (m_taken == 0) {
            m_columns = columnsOf(line);
            if (m_columns.p1 > 0) {
                const int open = find(line, u'(', m_columns.p1 + 1);
                const int close = find(line, u')', m_columns.p1 + 1);
                if (open > 0 && close > open)
                    m_result.lastScanStamp = line.mid(open, close - open - 1).toString();
            }
            // Room for a row per line of the file, as far as the table can hold them.
            m_table.reserveRows(m_table.friendCount() +
                                int(std::min<qsizetype>(m_lines, MaxFriends)) + 1);
        } else if (m_taken >= 2) {
            appendFriendLine(line, m_columns, m_table, m_names);
        }
        ++m_taken;
    }

    ReadResult result()
    {
        // More friends than the table holds: the rest would be lost at the next save.
        if (m_taken > 0)
            m_result.intact = m_columns.usable() && m_taken - 2 <= MaxFriends;
        return m_result;
    }

private:
    FriendsTable &m_table;
    qsizetype m_lines;
    qsizetype m_taken = 0;
    Columns m_columns;
    TextArena m_names;
    ReadResult m_result;
};

} // namespace

ReadResult parseText(const QString &text, FriendsTable &table)
{
    // Lines end with CR LF; a lone LF or CR ends a line as well.
    const QList<QStringView> lines = textLines(text);
    LineReader reader(table, lines.size());
    for (const QStringView line : lines)
        reader.take(line);
    return reader.result();
}

namespace {

// A file's bytes a piece at a time, given line by line as forEachLine() gives them: the part
// after a piece's last line end waits for the next piece. A CR LF split by a piece's end, or by
// the end of a line carried over, ends one line and gives an empty one, which readers skip.
class PieceLines final
{
public:
    template <typename Take> void add(QByteArrayView piece, Take take)
    {
        const auto endOr = [&](qsizetype at) { return at < 0 ? piece.size() : at; };
        const qsizetype first = std::min(endOr(piece.indexOf('\n')), endOr(piece.indexOf('\r')));
        if (first == piece.size()) {
            m_begun.append(piece);
            return;
        }
        if (!m_begun.isEmpty()) {
            // The line the pieces before began ends here, at its first line end.
            m_begun.append(piece.first(first + 1));
            forEachLine(QByteArrayView(m_begun), take);
            m_begun.resize(0);
            piece = piece.sliced(first + 1);
        }
        const qsizetype last = std::max(piece.lastIndexOf('\n'), piece.lastIndexOf('\r'));
        forEachLine(piece.first(last + 1), take);
        m_begun.append(piece.sliced(last + 1));
    }
    // The text after the file's last line end is a last line.
    template <typename Take> void finish(Take take)
    {
        if (!m_begun.isEmpty())
            take(QByteArrayView(m_begun));
    }

private:
    QByteArray m_begun;
};

} // namespace

ReadResult readFile(const QString &path, FriendsTable &table)
{
    // A Windows-1252 history is taken a piece and a line at a time: neither the file's bytes nor
    // its text (8 MB at the table's limit) are held whole.
    //
    // Room for as many friends as the file can hold: a friend line takes more than this many
    // bytes in every layout (names aside), and a file of shorter lines has its rows grow as they
    // come. Room that no friend takes is never touched.
    constexpr qint64 FewestLineBytes = 64;
    std::optional<LineReader> reader;
    bool utf8 = false;
    PieceLines lines;
    QString line;
    const auto take = [&](QByteArrayView bytesOfLine) {
        fromWindows1252(bytesOfLine, line);
        reader->take(line);
    };
    const bool read = readFileInPieces(path, ReadPieceSize, [&](QByteArrayView piece, qint64 size) {
        if (!reader) {
            utf8 = !isWindows1252File(piece);
            if (utf8)
                return false;
            reader.emplace(table, qsizetype(size / FewestLineBytes + 1));
        }
        lines.add(piece, take);
        return true;
    });
    std::optional<ReadResult> result;
    if (utf8) {
        QByteArray bytes;
        if (readWholeFile(path, bytes))
            result = parseText(decodeFileText(bytes), table);
    } else if (read) {
        if (!reader)
            reader.emplace(table, 0); // An empty file.
        lines.finish(take);
        result = reader->result();
    }
    if (!result) {
        // The table is given back as empty as it came.
        table = FriendsTable();
        return ReadResult{false, {}};
    }
    if (!result->intact)
        qCInfo(filesLog, "%s is not a whole history: it is kept aside before the next save",
               qPrintable(path));
    return *result;
}

bool writeFile(const QString &path, const FriendsTable &table, const QString &lastScanStamp)
{
    return replaceFileSafely(path, formatFile(table, lastScanStamp));
}

} // namespace amiscan::history
