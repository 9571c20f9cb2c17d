#include "ui/fonts.h"

#include <QStringList>

namespace amiscan {

QFont listFont()
{
    // Liberation Mono has the metrics of Courier New; the others are fall-backs.
    QFont font;
    font.setFamilies({QStringLiteral("Liberation Mono"), QStringLiteral("Nimbus Mono PS"),
                      QStringLiteral("DejaVu Sans Mono")});
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPointSizeF(9.75);
    return font;
}

QFont normalFont()
{
    QFont font;
    font.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(7.5);
    return font;
}

QFont smallFont()
{
    QFont font = normalFont();
    font.setPointSizeF(6.5);
    return font;
}

QFont titleFont()
{
    QFont font;
    font.setFamilies({QStringLiteral("Liberation Serif"), QStringLiteral("DejaVu Serif")});
    font.setStyleHint(QFont::Serif);
    font.setPointSizeF(15);
    font.setBold(true);
    return font;
}

} // namespace amiscan
