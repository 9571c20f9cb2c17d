#include "tests/vey_sim_process.h"

#include <QDeadlineTimer>
#include <QRegularExpression>
#include <algorithm>

namespace amiscan {

namespace {

// "listening on http://127.0.0.1:PORT", or https when it serves HTTPS.
const QRegularExpression
    listeningLine(QStringLiteral("^listening on (https?)://127\\.0\\.0\\.1:(\\d+)$"));

} // namespace

VeySimProcess::VeySimProcess(QStringList arguments, QObject *parent)
    : QObject(parent), m_arguments(std::move(arguments))
{
    m_process.setProgram(executablePath());
    m_process.setArguments(m_arguments);
    connect(&m_process, &QProcess::readyReadStandardOutput, this, &VeySimProcess::readOutput);
}

VeySimProcess::~VeySimProcess()
{
    stop();
}

QString VeySimProcess::executablePath()
{
    return QStringLiteral(VEY_SIM_EXECUTABLE);
}

bool VeySimProcess::start(int timeoutMs)
{
    m_process.start();
    if (!m_process.waitForStarted(timeoutMs)) {
        m_error = QStringLiteral("vey-sim did not start: ") + m_process.errorString();
        return false;
    }
    const QDeadlineTimer deadline(timeoutMs);
    while (m_lines.isEmpty()) {
        if (m_process.state() != QProcess::Running || deadline.hasExpired() ||
            !m_process.waitForReadyRead(int(std::max<qint64>(deadline.remainingTime(), 1)))) {
            readOutput();
            if (!m_lines.isEmpty())
                break;
            m_error = QStringLiteral("vey-sim gave no address: ") + standardError();
            stop();
            return false;
        }
        readOutput();
    }
    const QString first = m_lines.constFirst();
    const QRegularExpressionMatch match = listeningLine.match(first);
    const uint port = match.hasMatch() ? match.captured(2).toUInt() : 0;
    if (port == 0 || port > 65535) {
        m_error = QStringLiteral("unexpected first line from vey-sim: ") + first;
        stop();
        return false;
    }
    m_port = quint16(port);
    m_baseUrl = QUrl(QStringLiteral("%1://127.0.0.1:%2").arg(match.captured(1)).arg(m_port));
    return true;
}

bool VeySimProcess::stop(int timeoutMs)
{
    if (m_process.state() == QProcess::NotRunning)
        return m_process.exitStatus() == QProcess::NormalExit && m_process.exitCode() == 0;
    m_process.terminate();
    if (!m_process.waitForFinished(timeoutMs)) {
        m_process.kill();
        m_process.waitForFinished(timeoutMs);
        readOutput();
        return false;
    }
    readOutput();
    return m_process.exitStatus() == QProcess::NormalExit && m_process.exitCode() == 0;
}

bool VeySimProcess::isRunning() const
{
    return m_process.state() == QProcess::Running;
}

QUrl VeySimProcess::friendsPageUrl() const
{
    return url(QStringLiteral("/my/account/friends.php?lang=en"));
}

QUrl VeySimProcess::loginUrl() const
{
    return url(QStringLiteral("/login"));
}

QUrl VeySimProcess::url(const QString &pathAndQuery) const
{
    return m_baseUrl.resolved(QUrl(pathAndQuery));
}

QStringList VeySimProcess::logLines()
{
    readOutput();
    return m_lines.mid(1);
}

QList<SimRequest> VeySimProcess::requests()
{
    static const QRegularExpression form(
        QStringLiteral("^(\\S+) (\\S+) session=(yes|no) page=(\\S+)$"));
    QList<SimRequest> parsed;
    for (const QString &line : logLines()) {
        const auto match = form.match(line);
        if (match.hasMatch())
            parsed.append({match.captured(1), match.captured(2),
                           match.captured(3) == QLatin1String("yes"), match.captured(4)});
    }
    return parsed;
}

bool VeySimProcess::waitForRequests(qsizetype count, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (logLines().size() < count) {
        if (deadline.hasExpired() || m_process.state() != QProcess::Running)
            return false;
        m_process.waitForReadyRead(int(std::max<qint64>(deadline.remainingTime(), 1)));
    }
    return true;
}

void VeySimProcess::forgetRequests()
{
    readOutput();
    m_lines.resize(std::min<qsizetype>(m_lines.size(), 1));
}

QString VeySimProcess::standardError()
{
    m_stderr += m_process.readAllStandardError();
    return QString::fromUtf8(m_stderr);
}

void VeySimProcess::readOutput()
{
    m_partialLine += m_process.readAllStandardOutput();
    qsizetype end;
    while ((end = m_partialLine.indexOf('\n')) >= 0) {
        QByteArray line = m_partialLine.left(end);
        if (line.endsWith('\r'))
            line.chop(1);
        m_lines.append(QString::fromUtf8(line));
        m_partialLine.remove(0, end + 1);
    }
}

} // namespace amiscan
