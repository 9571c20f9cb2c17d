#include "model/history_model.h"

#include "store/clock.h"
#include "store/data_dir.h"
#include "store/presence_db.h"

#include <QFile>

namespace amiscan {

namespace {

const QDateTime &startOf(const Period &p)
{
    return p.outerStart.isValid() ? p.outerStart : p.innerStart;
}

const QDateTime &endOf(const Period &p)
{
    return p.outerEnd.isValid() ? p.outerEnd : p.innerEnd;
}

} // namespace

HistoryModel::HistoryModel(const QString &dataDir, QObject *parent)
    : QObject(parent), m_path(presenceLogPath(dataDir)), m_reader(new QObject)
{
    m_thread.setObjectName(QStringLiteral("history reader"));
    m_reader->moveToThread(&m_thread);
    connect(&m_thread, &QThread::finished, m_reader, &QObject::deleteLater);
    m_thread.start();
}

HistoryModel::~HistoryModel()
{
    // The views still asked for are dropped; the one being read ends first. The connection is
    // closed on the thread that made it.
    ++m_latestView;
    post([this] {
        m_db.reset();
        QThread::currentThread()->quit();
    });
    m_thread.wait();
}

template <typename Job> void HistoryModel::post(Job job)
{
    QMetaObject::invokeMethod(m_reader, std::move(job), Qt::QueuedConnection);
}

bool HistoryModel::openLog(QString *error)
{
    if (m_db)
        return true;
    auto db = std::make_unique<PresenceDb>(m_path, PresenceDb::Mode::Read);
    if (db->open(false, error) != PresenceDb::State::Ready)
        return false;
    m_db = std::move(db);
    return true;
}

void HistoryModel::askView(const HistoryQuery &query)
{
    const quint64 serial = ++m_latestView;
    post([this, query, serial] {
        // A later view was asked for meanwhile: this one would be shown for no time.
        if (serial != m_latestView)
            return;
        HistoryView view = readView(query);
        QMetaObject::invokeMethod(this, [this, view] { emit viewReady(view); });
    });
}

HistoryView HistoryModel::readView(const HistoryQuery &query)
{
    HistoryView view;
    view.query = query;
    const QDateTime patternFrom = query.to.addDays(-7 * PatternWeeks);
    const QDateTime from = std::min(query.from, patternFrom);
    QList<Period> periods;
    if (!openLog(&view.error) ||
        !readCoverage(m_db->db(), from, query.to, &view.coverage, &view.error)) {
        m_db.reset(); // tried again at the next query
    } else if (!query.friends.isEmpty()) {
        periods = readPeriods(m_db->db(), {from, query.to, query.friends}, &view.error);
    }
    const auto observed =
        observedSpans(view.coverage, patternFrom.toMSecsSinceEpoch(), query.to.toMSecsSinceEpoch());
    for (const QString &friendName : query.friends) {
        QList<Period> own;
        for (const Period &p : std::as_const(periods)) {
            if (p.userName == friendName)
                own << p;
        }
        view.patterns << weeklyPattern(own, observed, patternFrom.toMSecsSinceEpoch(),
                                       query.to.toMSecsSinceEpoch());
    }
    for (Period &p : periods) {
        if (endOf(p) >= query.from && startOf(p) <= query.to)
            view.periods << std::move(p);
    }
    return view;
}

void HistoryModel::askPeriods(const PeriodQuery &query)
{
    post([this, query] {
        QList<Period> periods;
        LogCoverage coverage;
        if (openLog(nullptr) && readCoverage(m_db->db(), query.from, query.to, &coverage))
            periods = readPeriods(m_db->db(), query);
        QMetaObject::invokeMethod(
            this, [this, periods, coverage] { emit periodsReady(periods, coverage); });
    });
}

void HistoryModel::exportPeriods(const QList<Period> &periods, ExportFormat format,
                                 const QString &path)
{
    post([this, periods, format, path] {
        QFile file(path);
        QString error;
        // What friends did and when: the file is its owner's alone.
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate,
                      QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
            PeriodExport writer(format, file, Clock::now());
            const bool written = writer.write(periods);
            if (!writer.finish() || !written)
                error = file.errorString();
        } else {
            error = file.errorString();
        }
        QMetaObject::invokeMethod(this, [this, path, error] { emit exported(path, error); });
    });
}

} // namespace amiscan
