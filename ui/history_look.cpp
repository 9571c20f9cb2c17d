#include "ui/history_look.h"

#include "store/time_text.h"

namespace amiscan::history_look {

QColor faint(const QColor &colour)
{
    const auto blend = [](int c) { return 255 - (255 - c) * FaintAlpha / 255; };
    return QColor(blend(colour.red()), blend(colour.green()), blend(colour.blue()));
}

QString unobservedCause(Unobserved cause)
{
    switch (cause) {
    case Unobserved::None:
        break;
    case Unobserved::Start:
        return QStringLiteral("before the presence log began");
    case Unobserved::Gap:
        return QStringLiteral("no scan read the friends page");
    case Unobserved::NotRunning:
        return QStringLiteral("Amiscan was not running");
    case Unobserved::Asleep:
        return QStringLiteral("the computer was asleep, or its clock was set forward");
    case Unobserved::ClockSetBack:
        return QStringLiteral("the clock was set back");
    case Unobserved::Lost:
        return QStringLiteral("the presence log could not be written");
    case Unobserved::LoggedOut:
        return QStringLiteral("Vey did not take the login");
    case Unobserved::NotUnderstood:
        return QStringLiteral("the friends page was not understood");
    case Unobserved::ServiceError:
        return QStringLiteral("Vey answered with an error");
    case Unobserved::NetworkDown:
        return QStringLiteral("the computer had no network");
    case Unobserved::CertificateRefused:
        return QStringLiteral("the Vey site's certificate was refused");
    case Unobserved::NoAnswer:
        return QStringLiteral("Vey did not answer");
    }
    return QStringLiteral("not observed");
}

QString timeOn(const QDateTime &time, const QDate &day)
{
    const QDateTime local = time.toLocalTime();
    return local.toString(local.date() == day ? QStringLiteral("hh:mm")
                                              : QStringLiteral("dd/MM hh:mm"));
}

QString stamp(const QDateTime &time)
{
    return time.isValid() ? formatStamp(time.toLocalTime()) : QString();
}

QString duration(qint64 ms)
{
    const qint64 minutes = std::max<qint64>(ms, 0) / 60000;
    return QStringLiteral("%1:%2")
        .arg(minutes / 60, 2, 10, QChar(u'0'))
        .arg(minutes % 60, 2, 10, QChar(u'0'));
}

} // namespace amiscan::history_look
