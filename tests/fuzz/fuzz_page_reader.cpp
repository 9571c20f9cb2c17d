// The friends page reader on any page text, by both routes: at most 200 entries, and every
// entry a friend as the lists expect it, without any of the page's markup.
#include "scan/page_reader.h"
#include "tests/fuzz/fuzz_check.h"

#include <cstdint>

using namespace amiscan;

namespace {

bool isNameCharacter(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') ||
           c == u' ';
}

void checkEntry(const FriendEntry &entry)
{
    // A tag's "<" in a name would mean the reader ran past the end of the entry's text.
    FUZZ_CHECK(!entry.displayName.contains(u'<'));
    FUZZ_CHECK(!entry.accountName.contains(u'<'));
    FUZZ_CHECK(!entry.displayName.isEmpty());
    FUZZ_CHECK_EQUAL(trimBlanks(entry.accountName).toString(), entry.accountName);
    if (entry.nameMark.isEmpty()) {
        FUZZ_CHECK(entry.displayName.size() >= 2);
        FUZZ_CHECK(
            std::all_of(entry.displayName.begin(), entry.displayName.end(), isNameCharacter));
    } else {
        FUZZ_CHECK_EQUAL(entry.nameMark, SubstitutedNameMark);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString page = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    for (const int directReadResult : {1, 9}) {
        const QList<FriendEntry> entries = readFriendsPage(page, directReadResult);
        FUZZ_CHECK(entries.size() <= MaxPageEntries);
        for (const FriendEntry &entry : entries)
            checkEntry(entry);
    }
    return 0;
}
