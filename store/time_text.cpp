#include "store/time_text.h"

#include "store/characters.h"

#include <array>
#include <string_view>

namespace amiscan {

namespace {

constexpr qint64 SecondsPerDay = 24 * 60 * 60;

void appendTwoDigits(QString &text, int value)
{
    text.append(QChar(u'0' + value / 10 % 10));
    text.append(QChar(u'0' + value % 10));
}

int digitAt(QStringView text, qsizetype index)
{
    if (index >= text.size())
        return -1;
    const char16_t c = text[index].unicode();
    return c >= u'0' && c <= u'9' ? c - u'0' : -1;
}

// Reads one or two digits at index, moving index past them; -1 when there is no digit.
int readNumber(QStringView text, qsizetype &index, int maxDigits)
{
    int value = -1;
    for (int n = 0; n < maxDigits; ++n) {
        const int digit = digitAt(text, index);
        if (digit < 0)
            break;
        value = (value < 0 ? 0 : value * 10) + digit;
        ++index;
    }
    return value;
}

bool readSeparator(QStringView text, qsizetype &index, std::u16string_view allowed)
{
    if (index >= text.size() || allowed.find(text[index].unicode()) == allowed.npos)
        return false;
    ++index;
    return true;
}

constexpr bool isLeapYear(int year)
{
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

constexpr int daysInMonth(int year, int month)
{
    constexpr int MonthDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return MonthDays[month - 1] + (month == 2 && isLeapYear(year) ? 1 : 0);
}

// Days from 1 March of year 0 in the Gregorian calendar.
constexpr qint64 dayNumber(int year, int month, int day)
{
    if (month <= 2)
        --year;
    const int era = (year >= 0 ? year : year - 399) / 400;
    const int yearOfEra = year - era * 400;
    const int dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return qint64(era) * 146097 + dayOfEra;
}

// Stamps carry years 2000 to 2099; every scan reads the stamps of the whole table, so the day
// number of each month's first day is looked up rather than computed.
struct StampMonth
{
    qint64 firstDay;
    int days;
};
constexpr int FirstStampYear = 2000;
constexpr auto StampMonths = [] {
    std::array<std::array<StampMonth, 12>, 100> months{};
    for (int year = 0; year < 100; ++year) {
        for (int month = 1; month <= 12; ++month)
            months[year][month - 1] = {dayNumber(FirstStampYear + year, month, 1),
                                       daysInMonth(FirstStampYear + year, month)};
    }
    return months;
}();

std::optional<WallSeconds> stampSeconds(int year, int month, int day, int hour, int minute)
{
    if (month < 1 || month > 12 || day < 1 || hour > 23 || minute > 59)
        return std::nullopt;
    const StampMonth &stampMonth = StampMonths[year][month - 1];
    if (day > stampMonth.days)
        return std::nullopt;
    return (stampMonth.firstDay + day - 1) * SecondsPerDay + hour * 3600 + minute * 60;
}

// The form the program writes, "dd/mm/yy hh:mm", read without searching.
std::optional<WallSeconds> readWrittenStamp(QStringView text)
{
    if (text.size() != 14 || text[2] != u'/' || text[5] != u'/' || text[8] != u' ' ||
        text[11] != u':')
        return std::nullopt;
    const char16_t *c = text.utf16();
    // Anything but a digit gives a value above 9.
    const auto twoDigits = [c](int i) {
        const unsigned tens = unsigned(c[i]) - u'0';
        const unsigned ones = unsigned(c[i + 1]) - u'0';
        return tens > 9 || ones > 9 ? 100 : int(tens * 10 + ones);
    };
    const int day = twoDigits(0), month = twoDigits(3), year = twoDigits(6);
    const int hour = twoDigits(9), minute = twoDigits(12);
    if (year > 99)
        return std::nullopt;
    return stampSeconds(year, month, day, hour, minute);
}

} // namespace

namespace {

// "dd/mm", then the separator, then "hh:mm": the two stamps differ only in what stands between.
QString stampText(const QDateTime &time, QStringView between, int size)
{
    const QDate date = time.date();
    const QTime clock = time.time();
    QString text;
    text.reserve(size);
    appendTwoDigits(text, date.day());
    text.append(u'/');
    appendTwoDigits(text, date.month());
    text.append(between);
    appendTwoDigits(text, clock.hour());
    text.append(u':');
    appendTwoDigits(text, clock.minute());
    return text;
}

} // namespace

QString formatStamp(const QDateTime &time)
{
    // The two-digit year belongs to the date: "dd/mm/yy hh:mm".
    const QString year = QStringLiteral("/%1 ").arg(time.date().year() % 100, 2, 10, QChar(u'0'));
    return stampText(time, year, 14);
}

QString formatScanStamp(const QDateTime &time)
{
    return stampText(time, u" - ", 13);
}

QString formatLength(qint64 minutes)
{
    return lengthText(minutes);
}

const QString &lengthText(qint64 minutes)
{
    constexpr int MinutesPerDay = 24 * 60;
    if (minutes < 0)
        return EmptyLength;
    // Every length of a day, made once: every scan recomputes the lengths of the whole table.
    static const QList<QString> lengths = [] {
        QList<QString> texts;
        texts.reserve(MinutesPerDay);
        for (int minute = 0; minute < MinutesPerDay; ++minute) {
            QString text;
            text.reserve(5);
            appendTwoDigits(text, minute / 60);
            text.append(u':');
            appendTwoDigits(text, minute % 60);
            texts.append(text);
        }
        return texts;
    }();
    return lengths.at(minutes % MinutesPerDay);
}

std::optional<WallSeconds> readStamp(QStringView text)
{
    if (text.size() == 14 && text[2] == u'/') {
        if (const std::optional<WallSeconds> written = readWrittenStamp(text))
            return written;
    }
    text = trimBlanks(text);

    qsizetype i = 0;
    const int day = readNumber(text, i, 2);
    if (day < 0 || !readSeparator(text, i, u"/.-"))
        return std::nullopt;
    const int month = readNumber(text, i, 2);
    if (month < 0 || !readSeparator(text, i, u"/.-"))
        return std::nullopt;
    const qsizetype yearStart = i;
    const int year = readNumber(text, i, 2);
    if (year < 0 || i - yearStart != 2 || !readSeparator(text, i, u" "))
        return std::nullopt;
    while (i < text.size() && text[i] == u' ')
        ++i;
    const int hour = readNumber(text, i, 2);
    if (hour < 0 || !readSeparator(text, i, u":."))
        return std::nullopt;
    const qsizetype minuteStart = i;
    const int minute = readNumber(text, i, 2);
    if (minute < 0 || i - minuteStart != 2 || i != text.size())
        return std::nullopt;
    return stampSeconds(year, month, day, hour, minute);
}

WallSeconds wallSeconds(const QDateTime &time)
{
    const QDate date = time.date();
    const QTime clock = time.time();
    return dayNumber(date.year(), date.month(), date.day()) * SecondsPerDay +
           clock.msecsSinceStartOfDay() / 1000;
}

} // namespace amiscan
