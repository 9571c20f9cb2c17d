#include "scan/page_reader.h"

#include "scan/character_references.h"

namespace amiscan {

namespace {

// How each friend entry's opening tag is styled, as the service sends it and as the browser
// renders it.
constexpr QStringView DirectReadMarker = u"list-style:none;padding:5px";
constexpr QStringView BrowserMarker = u"PADDING-RIGHT: 5px; PADDING-LEFT: 5px; PADDING-BOTTOM: 5px";

// A "(" at most this many characters after the "<" that ends an entry's text belongs to it.
constexpr qsizetype ParenthesisReach = 48;
// Where the search for the next entry resumes, after the entry's last "<" or ")".
constexpr qsizetype SkipAfterEntry = 10;

struct RawEntry
{
    QStringView text;
    QStringView userName;
};

bool isNameCharacter(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') || (u >= u'0' && u <= u'9') ||
           u == u' ';
}

// A display name must be at least two characters, each a letter, a digit or a blank.
bool isUsableDisplayName(QStringView text)
{
    if (text.size() < 2)
        return false;
    for (QChar c : text) {
        if (!isNameCharacter(c))
            return false;
    }
    return true;
}

// The page's text as a browser shows it: references decoded, blanks around it taken off.
QString shownText(QStringView markup)
{
    return trimBlanks(decodeCharacterReferences(markup)).toString();
}

FriendEntry cleanEntry(const RawEntry &raw, int number)
{
    FriendEntry entry;
    // Names are kept as the history file keeps them and as they may be shown, so that a name
    // read again, from the page or from the file, is the same name.
    entry.accountName = cleanName(shownText(raw.userName));
    if (const QString text = shownText(raw.text); isUsableDisplayName(text)) {
        entry.displayName = text;
    } else {
        entry.displayName = entry.accountName;
        entry.nameMark = SubstitutedNameMark;
    }
    if (entry.displayName.isEmpty())
        entry.displayName = QStringLiteral("unknown-%1").arg(number);
    return entry;
}

} // namespace

QList<FriendEntry> readFriendsPage(const QString &pageText, int directReadResult)
{
    const QStringView page(pageText);
    const QStringView marker = directReadResult == 1 ? DirectReadMarker : BrowserMarker;

    QList<FriendEntry> entries;
    qsizetype start = 0;
    while (entries.size() < MaxPageEntries) {
        const qsizetype markerAt = page.indexOf(marker, start);
        if (markerAt < 0)
            break;
        // The entry's text runs from the end of the marker's tag to the next tag. A tag or a
        // text that never ends belongs to a truncated page: the reading ends there.
        const qsizetype tagEnd = page.indexOf(u'>', markerAt + marker.size());
        if (tagEnd < 0)
            break;
        const qsizetype textStart = tagEnd + 1;
        qsizetype last = page.indexOf(u'<', textStart);
        if (last < 0)
            break;
        RawEntry raw;
        raw.text = trimBlanks(page.sliced(textStart, last - textStart));
        raw.userName = raw.text;

        // The user name stands in parentheses shortly behind the text.
        const qsizetype open = page.indexOf(u'(', last);
        if (open >= 0 && open - last <= ParenthesisReach) {
            const qsizetype close = page.indexOf(u')', open + 1);
            if (close < 0)
                break;
            // A user name stands within one text: parentheses that run across a tag hold none,
            // and the markup they span may hold the next entries.
            const QStringView inside = page.sliced(open + 1, close - open - 1);
            if (!inside.contains(u'<')) {
                raw.userName = trimBlanks(inside);
                last = close;
            }
        }
        entries.append(cleanEntry(raw, int(entries.size()) + 1));
        start = last + SkipAfterEntry;
    }
    return entries;
}

} // namespace amiscan
