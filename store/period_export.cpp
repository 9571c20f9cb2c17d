#include "store/period_export.h"

#include <QCryptographicHash>

#include <array>

namespace amiscan {

namespace {

constexpr qsizetype FlushSize = 1 << 20;
// A calendar line's octets, its line end not counted (RFC 5545, 3.1).
constexpr qsizetype IcsLineOctets = 75;

constexpr std::array<const char *, 15> Columns{
    "user_name",          "display_name",         "at_least_from_utc", "at_least_from_local",
    "at_least_until_utc", "at_least_until_local", "at_most_from_utc",  "at_most_from_local",
    "at_most_until_utc",  "at_most_until_local",  "start_seen",        "end_seen",
    "imported",           "start_unseen_because", "end_unseen_because"};

void appendDigits(QByteArray &out, qint64 value, int digits)
{
    char text[8];
    for (int i = digits - 1; i >= 0; --i, value /= 10)
        text[i] = char('0' + value % 10);
    out.append(text, digits);
}

// ISO 8601 to the second: "2026-03-01T09:15:00Z" in UTC, "2026-03-01T10:15:00+01:00" in the
// local time of the moment; basic, "20260301T091500Z", for calendars. Written by hand: a whole
// log's export formats millions.
void appendTime(QByteArray &out, const QDateTime &time, bool local, bool basic = false)
{
    const int offset = local ? time.offsetFromUtc() : 0;
    const qint64 ms = time.toMSecsSinceEpoch() + qint64(offset) * 1000;
    qint64 seconds = ms / 1000 - (ms % 1000 < 0 ? 1 : 0);
    qint64 days = seconds / 86400 - (seconds % 86400 < 0 ? 1 : 0);
    seconds -= days * 86400;
    // Days to a civil date (proleptic Gregorian calendar).
    days += 719468;
    const qint64 era = (days >= 0 ? days : days - 146096) / 146097;
    const qint64 dayOfEra = days - era * 146097;
    const qint64 yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const qint64 dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const qint64 monthIndex = (5 * dayOfYear + 2) / 153;
    const qint64 day = dayOfYear - (153 * monthIndex + 2) / 5 + 1;
    const qint64 month = monthIndex < 10 ? monthIndex + 3 : monthIndex - 9;
    const qint64 year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
    appendDigits(out, year, 4);
    if (!basic)
        out.append('-');
    appendDigits(out, month, 2);
    if (!basic)
        out.append('-');
    appendDigits(out, day, 2);
    out.append('T');
    appendDigits(out, seconds / 3600, 2);
    if (!basic)
        out.append(':');
    appendDigits(out, seconds / 60 % 60, 2);
    if (!basic)
        out.append(':');
    appendDigits(out, seconds % 60, 2);
    if (!local) {
        out.append('Z');
        return;
    }
    out.append(offset < 0 ? '-' : '+');
    appendDigits(out, std::abs(offset) / 3600, 2);
    out.append(':');
    appendDigits(out, std::abs(offset) / 60 % 60, 2);
}

// The four bounds, each in UTC then local time.
std::array<const QDateTime *, 4> bounds(const Period &p)
{
    return {&p.innerStart, &p.innerEnd, &p.outerStart, &p.outerEnd};
}

const char *flag(bool on)
{
    return on ? "true" : "false";
}

void appendCsvField(QByteArray &out, const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    if (!utf8.contains(',') && !utf8.contains('"') && !utf8.contains('\n') &&
        !utf8.contains('\r')) {
        out.append(utf8);
        return;
    }
    out.append('"');
    for (const char c : utf8) {
        if (c == '"')
            out.append('"');
        out.append(c);
    }
    out.append('"');
}

void appendJsonString(QByteArray &out, const QString &text)
{
    out.append('"');
    for (const char c : text.toUtf8()) {
        if (c == '"' || c == '\\') {
            out.append('\\').append(c);
        } else if (uchar(c) < 0x20) {
            out.append("\\u00");
            out.append("0123456789abcdef"[uchar(c) >> 4]).append("0123456789abcdef"[c & 0xF]);
        } else {
            out.append(c);
        }
    }
    out.append('"');
}

// A calendar's text value: backslash, semicolon, comma and line breaks escaped (RFC 5545, 3.3.11).
QByteArray icsText(const QString &text)
{
    QByteArray out;
    for (const char c : text.toUtf8()) {
        if (c == '\\' || c == ';' || c == ',')
            out.append('\\').append(c);
        else if (c == '\n')
            out.append("\\n");
        else if (uchar(c) >= 0x20 && c != 0x7F)
            out.append(c);
    }
    return out;
}

QByteArray localText(const QDateTime &time)
{
    QByteArray out;
    if (!time.isValid())
        return "unseen";
    appendTime(out, time, true);
    return out;
}

} // namespace

std::optional<ExportFormat> exportFormatNamed(QStringView name)
{
    if (name == u"csv")
        return ExportFormat::Csv;
    if (name == u"json")
        return ExportFormat::Json;
    if (name == u"ics")
        return ExportFormat::Ics;
    return std::nullopt;
}

PeriodExport::PeriodExport(ExportFormat format, QIODevice &device, const QDateTime &stamp)
    : m_format(format), m_device(device)
{
    appendTime(m_stamp, stamp, false, true);
    switch (format) {
    case ExportFormat::Csv:
        for (const char *column : Columns)
            m_buffer.append(column).append(',');
        m_buffer.chop(1);
        m_buffer.append("\r\n");
        break;
    case ExportFormat::Json:
        m_buffer.append("{\"periods\": [");
        break;
    case ExportFormat::Ics:
        for (const char *line : {"BEGIN:VCALENDAR", "VERSION:2.0",
                                 "PRODID:-//Amiscan developers//Amiscan presence log//EN",
                                 "CALSCALE:GREGORIAN", "X-WR-CALNAME:Amiscan"})
            icsLine(line);
        break;
    }
}

bool PeriodExport::write(const QList<Period> &periods)
{
    for (const Period &period : periods) {
        switch (m_format) {
        case ExportFormat::Csv:
            writeCsv(period);
            break;
        case ExportFormat::Json:
            writeJson(period);
            break;
        case ExportFormat::Ics:
            writeIcs(period);
            break;
        }
        m_first = false;
    }
    return flush(false);
}

bool PeriodExport::finish()
{
    if (m_format == ExportFormat::Json)
        m_buffer.append(m_first ? "]}\n" : "\n]}\n");
    else if (m_format == ExportFormat::Ics)
        icsLine("END:VCALENDAR");
    return flush(true);
}

bool PeriodExport::flush(bool always)
{
    if (m_buffer.size() >= FlushSize || always) {
        m_ok = m_ok && m_device.write(m_buffer) == m_buffer.size();
        m_buffer.clear();
    }
    return m_ok;
}

void PeriodExport::writeCsv(const Period &p)
{
    appendCsvField(m_buffer, p.userName);
    m_buffer.append(',');
    appendCsvField(m_buffer, p.displayName);
    for (const QDateTime *time : bounds(p)) {
        for (const bool local : {false, true}) {
            m_buffer.append(',');
            if (time->isValid())
                appendTime(m_buffer, *time, local);
        }
    }
    m_buffer.append(',').append(flag(p.startSeen)).append(',').append(flag(p.endSeen));
    m_buffer.append(',').append(flag(p.imported));
    for (const Unobserved why : {p.startUnseen, p.endUnseen})
        m_buffer.append(',').append(unobservedCode(why).toLatin1());
    m_buffer.append("\r\n");
}

void PeriodExport::writeJson(const Period &p)
{
    m_buffer.append(m_first ? "\n{\"" : ",\n{\"").append(Columns[0]).append("\": ");
    appendJsonString(m_buffer, p.userName);
    m_buffer.append(", \"").append(Columns[1]).append("\": ");
    appendJsonString(m_buffer, p.displayName);
    int column = 2;
    for (const QDateTime *time : bounds(p)) {
        for (const bool local : {false, true}) {
            m_buffer.append(", \"").append(Columns[column++]).append("\": ");
            if (!time->isValid()) {
                m_buffer.append("null");
                continue;
            }
            m_buffer.append('"');
            appendTime(m_buffer, *time, local);
            m_buffer.append('"');
        }
    }
    for (const bool value : {p.startSeen, p.endSeen, p.imported})
        m_buffer.append(", \"").append(Columns[column++]).append("\": ").append(flag(value));
    // Why a bound was not seen: null when it was, or when nothing stopped the scans.
    for (const Unobserved why : {p.startUnseen, p.endUnseen}) {
        m_buffer.append(", \"").append(Columns[column++]).append("\": ");
        if (why == Unobserved::None)
            m_buffer.append("null");
        else
            m_buffer.append('"').append(unobservedCode(why).toLatin1()).append('"');
    }
    m_buffer.append('}');
}

void PeriodExport::writeIcs(const Period &p)
{
    // The same period gets the same UID in every export.
    QByteArray key = p.userName.toUtf8();
    key.append('\n').append(QByteArray::number(p.innerStart.toMSecsSinceEpoch()));
    key.append(p.imported ? "\ni" : "");
    const QByteArray uid = QCryptographicHash::hash(key, QCryptographicHash::Sha1).toHex();
    icsLine("BEGIN:VEVENT");
    icsLine("UID:" + uid + "@amiscan");
    icsLine("DTSTAMP:" + m_stamp);
    QByteArray start("DTSTART:"), end("DTEND:");
    appendTime(start, p.innerStart, false, true);
    icsLine(start);
    // A period seen by one scan only has no length: an event without an end lasts no time.
    if (p.innerEnd > p.innerStart) {
        appendTime(end, p.innerEnd, false, true);
        icsLine(end);
    }
    icsLine("SUMMARY:" +
            icsText(p.displayName == p.userName
                        ? p.displayName + QStringLiteral(" online")
                        : QStringLiteral("%1 (%2) online").arg(p.displayName, p.userName)));
    QByteArray description = "Online at least from " + localText(p.innerStart) + " to " +
                             localText(p.innerEnd) + ", at most from " + localText(p.outerStart) +
                             " to " + localText(p.outerEnd) + ".";
    if (p.imported)
        description += " Imported from the history file.";
    for (const auto &[why, bound] : {std::pair{p.startUnseen, "Start"}, {p.endUnseen, "End"}}) {
        if (why != Unobserved::None)
            description +=
                QByteArray(" ") + bound + " not seen: " + unobservedWords(why).toUtf8() + ".";
    }
    icsLine("DESCRIPTION:" + icsText(QString::fromUtf8(description)));
    icsLine("END:VEVENT");
}

void PeriodExport::icsLine(const QByteArray &line)
{
    // Folded at 75 octets, never inside a character: a continuation line starts with a blank.
    qsizetype from = 0;
    qsizetype room = IcsLineOctets;
    while (line.size() - from > room) {
        qsizetype cut = from + room;
        while (cut > from && (uchar(line[cut]) & 0xC0) == 0x80)
            --cut;
        m_buffer.append(line.constData() + from, cut - from).append("\r\n ");
        from = cut;
        room = IcsLineOctets - 1;
    }
    m_buffer.append(line.constData() + from, line.size() - from).append("\r\n");
}

} // namespace amiscan
