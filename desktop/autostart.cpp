#include "desktop/autostart.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStandardPaths>

namespace amiscan {

namespace {

// A string value as a desktop entry writes it.
QString stringValue(const QString &text)
{
    QString value;
    for (const QChar c : text) {
        if (c == u'\\')
            value += QStringLiteral("\\\\");
        else if (c == u'\n')
            value += QStringLiteral("\\n");
        else if (c == u'\t')
            value += QStringLiteral("\\t");
        else if (c == u'\r')
            value += QStringLiteral("\\r");
        else
            value += c;
    }
    return value;
}

// One argument of Exec: quoted when it holds a reserved character.
QString execArgument(QString argument)
{
    argument.replace(u'%', QStringLiteral("%%"));
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    bool quote = argument.isEmpty();
    for (const QChar c : std::as_const(argument))
        quote = quote || reserved.contains(c);
    if (!quote)
        return argument;
    QString quoted = QStringLiteral("\"");
    for (const QChar c : std::as_const(argument)) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            quoted += u'\\';
        quoted += c;
    }
    return quoted + u'"';
}

} // namespace

QString desktopEntryExec(const QStringList &command)
{
    QStringList arguments;
    for (const QString &argument : command)
        arguments << execArgument(argument);
    return stringValue(arguments.join(u' '));
}

QString autostartEntryPath()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
        .filePath(QStringLiteral("autostart/" AMISCAN_APP_ID ".desktop"));
}

bool isAutostartOn()
{
    return QFile::exists(autostartEntryPath());
}

bool setAutostart(bool on, const QString &program, const QStringList &arguments, QString *error)
{
    const QString path = autostartEntryPath();
    if (!on) {
        QFile entry(path);
        if (!entry.exists() || entry.remove())
            return true;
        if (error)
            *error = entry.errorString();
        return false;
    }
    QSaveFile entry(path);
    if (!QDir().mkpath(QFileInfo(path).path()) || !entry.open(QIODevice::WriteOnly)) {
        if (error)
            *error = entry.errorString();
        return false;
    }
    const QString text =
        QStringLiteral("[Desktop Entry]\n"
                       "Type=Application\n"
                       "Name=Amiscan\n"
                       "Comment=See which of your Vey friends are online\n"
                       "Exec=%1\n"
                       "TryExec=%2\n"
                       "Icon=" AMISCAN_APP_ID "\n"
                       "Terminal=false\n"
                       "X-GNOME-Autostart-enabled=true\n")
            .arg(desktopEntryExec(QStringList{program} + arguments), stringValue(program));
    entry.write(text.toUtf8());
    if (entry.commit())
        return true;
    if (error)
        *error = entry.errorString();
    return false;
}

} // namespace amiscan
