#include "ui/plain_text.h"

#include <QTextDocument>

namespace amiscan {

QString plainToolTip(const QString &text)
{
    // An empty tooltip means no tooltip at all; keep it empty.
    if (text.isEmpty())
        return text;
    // Escaped and wrapped as rich text, with blanks and line ends kept as they are.
    return Qt::convertFromPlainText(text, Qt::WhiteSpacePre);
}

} // namespace amiscan
