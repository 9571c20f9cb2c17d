#pragma once
// What the probes read of their own process's memory.
#include <QFile>
#include <QRegularExpression>
#include <QString>

#include <malloc.h>

namespace amiscan {

// The process's resident memory in kB, -1 when it cannot be read.
inline long residentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    static const QRegularExpression rss(QStringLiteral("VmRSS:\\s+(\\d+) kB"));
    return rss.match(QString::fromLatin1(status.readAll())).captured(1).toLong();
}

// The bytes the heap holds in live blocks, whatever the allocator keeps of freed memory.
inline long heapInUseBytes()
{
    const struct mallinfo2 info = mallinfo2();
    return long(info.uordblks + info.hblkhd);
}

} // namespace amiscan
