#include "schedule/interval.h"

#include <QLocale>

#include <cmath>

namespace amiscan {

QString validatedInterval(const QString &text)
{
    QLocale locale = QLocale::c();
    locale.setNumberOptions(QLocale::RejectGroupSeparator);
    bool numeric = false;
    const double minutes = locale.toDouble(text.trimmed(), &numeric);
    if (!numeric || !std::isfinite(minutes))
        return QStringLiteral("15");
    if (minutes <= 0)
        return QStringLiteral("1");
    return text;
}

} // namespace amiscan
