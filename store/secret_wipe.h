#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <algorithm>

namespace amiscan {

// Clears texts that may hold the password before their memory goes back, so that it does not
// linger in freed memory. A text still shared with another is left to that other.
inline void wipe(QString &text)
{
    if (text.isDetached())
        std::fill_n(text.data(), text.size(), QChar(u'\0'));
    text.clear();
}

inline void wipe(QByteArray &bytes)
{
    if (bytes.isDetached())
        std::fill_n(bytes.data(), bytes.size(), '\0');
    bytes.clear();
}

inline void wipeLines(QStringList &lines)
{
    if (lines.isDetached()) {
        for (QString &line : lines)
            wipe(line);
    }
    lines.clear();
}

} // namespace amiscan
