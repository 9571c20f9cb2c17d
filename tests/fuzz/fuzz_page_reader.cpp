// The friends page reader on any page text, by both routes: at most 200 entries, and every entry
// a friend as the lists expect it, without any of the page's markup.
#include "scan/page_reader.h"
#include "tests/fuzz/fuzz_check.h"

#include <QRegularExpression>

#include <cstdint>

using namespace amiscan;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString page = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    static const QRegularExpression plainName("^[A-Za-z0-9 ]{2,}$");
    for (const int directReadResult : {1, 9}) {
        const QList<FriendEntry> entries = readFriendsPage(page, directReadResult);
        FUZZ_CHECK(entries.size() <= MaxPageEntries);
        for (const FriendEntry &entry : entries) {
            // A tag's "<" in a name would mean the reader ran past the end of the entry's text;
            // only a character reference gives one.
            FUZZ_CHECK(page.contains(u'&') ||
                       (!entry.displayName.contains(u'<') && !entry.accountName.contains(u'<')));
            // Names are kept as the history file keeps them: read back, they are the same.
            FUZZ_CHECK_EQUAL(cleanName(entry.accountName), entry.accountName);
            FUZZ_CHECK_EQUAL(cleanName(entry.displayName + entry.nameMark),
                             entry.displayName + entry.nameMark);
            // A name of anything but letters, digits and blanks is replaced and marked.
            if (entry.nameMark.isEmpty())
                FUZZ_CHECK(plainName.match(entry.displayName).hasMatch());
            else
                FUZZ_CHECK(entry.nameMark == SubstitutedNameMark && !entry.displayName.isEmpty());
        }
    }
    return 0;
}
