// The stamp reader on any text: blanks around a stamp change nothing, a stamp in the written form
// reads as Qt reads the same date and formats back to itself, and every length computed from two
// stamps, or from any number of minutes, is "hh:mm" or the empty length.
#include "scan/time_text.h"
#include "tests/fuzz/fuzz_check.h"

#include <QRegularExpression>

#include <cstdint>
#include <cstring>

using namespace amiscan;

namespace {

void checkLength(const QString &length)
{
    static const QRegularExpression form("^([01][0-9]|2[0-3]):[0-5][0-9]\\z");
    FUZZ_CHECK(length == EmptyLength || form.match(length).hasMatch());
}

std::optional<WallSeconds> checkStamp(const QString &text)
{
    const std::optional<WallSeconds> read = readStamp(text);
    FUZZ_CHECK(read == readStamp(u' ' + text + u' '));
    FUZZ_CHECK(!read || *read % 60 == 0);
    static const QRegularExpression written("^[0-9]{2}/[0-9]{2}/[0-9]{2} [0-9]{2}:[0-9]{2}\\z");
    if (written.match(text).hasMatch()) {
        const QDate date = QDate::fromString(text.left(6) + "20" + text.mid(6, 2), "dd/MM/yyyy");
        const QTime time = QTime::fromString(text.mid(9), "hh:mm");
        FUZZ_CHECK_EQUAL(read.has_value(), date.isValid() && time.isValid());
        if (read) {
            FUZZ_CHECK(*read == wallSeconds(QDateTime(date, time, Qt::UTC)));
            FUZZ_CHECK_EQUAL(formatStamp(QDateTime(date, time, Qt::UTC)), text);
        }
    }
    return read;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // A session's start and end, on either side of the first line break.
    const QStringList stamps =
        QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size)).split(u'\n');
    const std::optional<WallSeconds> from = checkStamp(stamps.first());
    const std::optional<WallSeconds> to =
        checkStamp(stamps.size() > 1 ? stamps.mid(1).join(u'\n') : stamps.first());
    if (from && to)
        checkLength(formatLength((*to - *from) / 60));
    qint64 minutes = 0;
    std::memcpy(&minutes, data, std::min(size, sizeof minutes));
    checkLength(formatLength(minutes));
    return 0;
}
