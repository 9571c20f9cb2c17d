#pragma once

// The browser helper and the browser engine's own processes started, directly or not, by a
// process (by default this one), read from /proc.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QHash>

namespace amiscan {

struct BrowserProcess
{
    qint64 pid = 0;
    bool isHelper = false; // the helper itself, not one of the engine's processes
};

inline QList<BrowserProcess> browserProcesses(qint64 root = QCoreApplication::applicationPid())
{
    struct Process
    {
        qint64 parent = 0;
        QByteArray cmdline;
    };
    QHash<qint64, Process> processes;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString &entry : entries) {
        bool isNumber = false;
        const qint64 pid = entry.toLongLong(&isNumber);
        QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(entry));
        QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
        if (!isNumber || !cmdline.open(QIODevice::ReadOnly) || !stat.open(QIODevice::ReadOnly))
            continue;
        // "pid (name) state ppid ...": the name may hold blanks, so read after its last ')'.
        const QByteArray text = stat.readAll();
        const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
        if (fields.value(0) == "Z")
            continue; // ended, not yet reaped
        processes.insert(pid, {fields.value(1).toLongLong(), cmdline.readAll()});
    }
    QList<BrowserProcess> found;
    for (auto it = processes.cbegin(); it != processes.cend(); ++it) {
        const QByteArray program = it->cmdline.left(it->cmdline.indexOf('\0'));
        const bool isHelper = program.endsWith("/amiscan-browser");
        if (!isHelper && !program.endsWith("/QtWebEngineProcess"))
            continue;
        qint64 pid = it.key();
        for (int depth = 0; depth < 16 && pid > 1; ++depth) {
            pid = processes.value(pid).parent;
            if (pid == root) {
                found.append({it.key(), isHelper});
                break;
            }
        }
    }
    return found;
}

inline qint64 browserHelperPid(qint64 root = QCoreApplication::applicationPid())
{
    for (const BrowserProcess &process : browserProcesses(root))
        if (process.isHelper)
            return process.pid;
    return 0;
}

} // namespace amiscan
