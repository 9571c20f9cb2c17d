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
    enum Kind
    {
        Helper, // the helper program
        Page,   // the process of a page, forked by the engine's zygote or started as renderer
        Engine, // the engine's other processes
    };
    qint64 pid = 0;
    Kind kind = Engine;
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
        const QByteArray &cmd = it->cmdline;
        const QByteArray program = cmd.left(cmd.indexOf('\0'));
        BrowserProcess::Kind kind = BrowserProcess::Engine;
        if (program.endsWith("/amiscan-browser"))
            kind = BrowserProcess::Helper;
        else if (!program.endsWith("/QtWebEngineProcess"))
            continue;
        else if (cmd.contains("--type=renderer") ||
                 (cmd.contains("--type=zygote") &&
                  processes.value(it->parent).cmdline.contains("--type=zygote")))
            kind = BrowserProcess::Page;
        qint64 pid = it.key();
        for (int depth = 0; depth < 16 && pid > 1; ++depth) {
            pid = processes.value(pid).parent;
            if (pid == root) {
                found.append({it.key(), kind});
                break;
            }
        }
    }
    return found;
}

inline qint64 firstBrowserProcess(BrowserProcess::Kind kind,
                                  qint64 root = QCoreApplication::applicationPid())
{
    for (const BrowserProcess &process : browserProcesses(root))
        if (process.kind == kind)
            return process.pid;
    return 0;
}

inline qint64 browserHelperPid()
{
    return firstBrowserProcess(BrowserProcess::Helper);
}

inline qint64 pageProcessPid()
{
    return firstBrowserProcess(BrowserProcess::Page);
}

} // namespace amiscan
