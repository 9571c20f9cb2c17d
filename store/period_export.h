#pragma once

#include "store/presence_periods.h"

#include <QByteArray>
#include <QDateTime>
#include <QIODevice>
#include <QList>
#include <QStringView>

#include <optional>

namespace amiscan {

enum class ExportFormat
{
    Csv,  // RFC 4180, a header line first
    Json, // {"periods": [...]} with the CSV's columns as keys
    Ics,  // RFC 5545, one event per period
};

// "csv", "json" or "ics".
std::optional<ExportFormat> exportFormatNamed(QStringView name);

// Writes periods to a device, a batch at a time, so that a whole log never needs to be in memory:
// each with both bounds in ISO 8601, in UTC and in the local time of its moment, whether its start
// and end were seen, whether it was imported, and the friend's display and user names.
class PeriodExport final
{
public:
    // `stamp`: when the export was made (the calendar's DTSTAMP).
    PeriodExport(ExportFormat format, QIODevice &device, const QDateTime &stamp);
    bool write(const QList<Period> &periods);
    // Ends the document; false when anything could not be written.
    bool finish();

private:
    void writeCsv(const Period &period);
    void writeJson(const Period &period);
    void writeIcs(const Period &period);
    void icsLine(const QByteArray &line);
    bool flush(bool always);

    ExportFormat m_format;
    QIODevice &m_device;
    QByteArray m_stamp;
    QByteArray m_buffer;
    bool m_first = true;
    bool m_ok = true;
};

} // namespace amiscan
