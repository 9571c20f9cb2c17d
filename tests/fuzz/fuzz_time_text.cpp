// The stamp reader on any text: its quick path for the written form agrees with the general
// one, it agrees with Qt's own date reading, and what it reads formats back to the same stamp.
// The lengths computed from two stamps are always "hh:mm" or the empty length.
#include "store/time_text.h"
#include "tests/fuzz/fuzz_check.h"

#include <cstdint>
#include <cstring>

using namespace amiscan;

namespace {

void checkLength(const QString &length)
{
    if (length == EmptyLength)
        return;
    FUZZ_CHECK_EQUAL(length.size(), 5);
    const int hours = length.left(2).toInt();
    const int minutes = length.mid(3).toInt();
    FUZZ_CHECK(length.at(2) == u':' && hours < 24 && minutes < 60);
}

bool isWrittenForm(const QString &text)
{
    if (text.size() != 14)
        return false;
    for (qsizetype i = 0; i < 14; ++i) {
        const char16_t c = text.at(i).unicode();
        const char16_t separator = i == 2 || i == 5 ? u'/' : i == 8 ? u' ' : i == 11 ? u':' : 0;
        if (separator ? c != separator : (c < u'0' || c > u'9'))
            return false;
    }
    return true;
}

void checkStamp(const QString &text)
{
    const std::optional<WallSeconds> read = readStamp(text);
    // Blanks around a stamp never change it, and a padded text takes the general path.
    const std::optional<WallSeconds> padded = readStamp(u' ' + text + u' ');
    FUZZ_CHECK(read == padded);
    if (read)
        FUZZ_CHECK(*read % 60 == 0);

    // The written form, "dd/mm/yy hh:mm", against Qt's reading of the same date in the 2000s.
    if (!isWrittenForm(text))
        return;
    const QDate date = QDate::fromString(text.left(6) + QStringLiteral("20") + text.mid(6, 2),
                                         QStringLiteral("dd/MM/yyyy"));
    const QTime time = QTime::fromString(text.mid(9), QStringLiteral("hh:mm"));
    FUZZ_CHECK_EQUAL(read.has_value(), date.isValid() && time.isValid());
    if (read) {
        const QDateTime qtRead(date, time, Qt::UTC);
        FUZZ_CHECK(*read == wallSeconds(qtRead));
        FUZZ_CHECK_EQUAL(formatStamp(qtRead), text);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    // Two stamps, a session's start and end, on either side of the first line break.
    const qsizetype split = text.indexOf(u'\n');
    const QString start = split < 0 ? text : text.left(split);
    const QString end = split < 0 ? text : text.mid(split + 1);
    checkStamp(start);
    checkStamp(end);

    const std::optional<WallSeconds> from = readStamp(start);
    const std::optional<WallSeconds> to = readStamp(end);
    if (from && to)
        checkLength(formatLength((*to - *from) / 60));

    // Any number of minutes, including the extremes.
    qint64 minutes = 0;
    std::memcpy(&minutes, data, std::min(size, sizeof minutes));
    checkLength(formatLength(minutes));
    return 0;
}
