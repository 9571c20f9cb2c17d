#include "tests/vey_sim_process.h"

#include <QDeadlineTimer>
#include <QRegularExpression>

namespace amiscan {

VeySimProcess::VeySimProcess(const QStringList &arguments)
{
    m_process.setProgram(VEY_SIM_EXECUTABLE);
    m_process.setArguments(arguments);
}

bool VeySimProcess::start(int timeoutMs)
{
    m_process.start();
    const QDeadlineTimer deadline(timeoutMs);
    while (m_process.waitForReadyRead(int(deadline.remainingTime())) && !m_process.canReadLine()) {
    }
    static const QRegularExpression listening("^listening on (https?://127\\.0\\.0\\.1:\\d+)\n$");
    const QString first = QString::fromUtf8(m_process.readLine());
    const QRegularExpressionMatch match = listening.match(first);
    if (!match.hasMatch()) {
        stop();
        m_error = "vey-sim gave no address: " + first + standardError();
        return false;
    }
    m_baseUrl = QUrl(match.captured(1));
    return true;
}

bool VeySimProcess::stop(int timeoutMs)
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.terminate();
        if (!m_process.waitForFinished(timeoutMs)) {
            m_process.kill();
            m_process.waitForFinished(timeoutMs);
            return false;
        }
    }
    return m_process.exitStatus() == QProcess::NormalExit && m_process.exitCode() == 0;
}

QStringList VeySimProcess::logLines()
{
    while (m_process.canReadLine())
        m_lines << QString::fromUtf8(m_process.readLine()).trimmed();
    return m_lines;
}

QList<SimRequest> VeySimProcess::requests()
{
    static const QRegularExpression form("^(\\S+) (\\S+) session=(yes|no) page=(\\S+)$");
    QList<SimRequest> parsed;
    for (const QString &line : logLines()) {
        const auto match = form.match(line);
        if (match.hasMatch())
            parsed.append({match.captured(1), match.captured(2), match.captured(3) == "yes",
                           match.captured(4)});
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

} // namespace amiscan
