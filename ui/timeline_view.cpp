#include "ui/timeline_view.h"

#include "store/clock.h"
#include "ui/history_look.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <QWheelEvent>

namespace amiscan {

namespace {

using namespace history_look;

constexpr int LabelWidth = 84;
constexpr int ScaleHeight = 18;
constexpr int RightMargin = 8;
constexpr int RowGap = 3;
constexpr int LaneHeight = 8;
constexpr int ZoomedLaneHeight = 44;

qint64 ms(const QDateTime &time)
{
    return time.toMSecsSinceEpoch();
}

qint64 startMs(const Period &p)
{
    return ms(p.outerStart.isValid() ? p.outerStart : p.innerStart);
}

qint64 endMs(const Period &p)
{
    return ms(p.outerEnd.isValid() ? p.outerEnd : p.innerEnd);
}

QString periodText(const Period &p, const QString &name, const QDate &day)
{
    QString text = QStringLiteral("%1 online from %2 to %3")
                       .arg(name, timeOn(p.innerStart, day), timeOn(p.innerEnd, day));
    if (p.imported)
        return text + QStringLiteral("\nfrom the history file: its bounds are not known");
    const QString start = p.startSeen ? timeOn(p.outerStart, day) : QStringLiteral("unseen");
    const QString end = p.endSeen ? timeOn(p.outerEnd, day) : QStringLiteral("unseen");
    return text + QStringLiteral("\nat most from %1 to %2").arg(start, end);
}

} // namespace

TimelineView::TimelineView(QWidget *parent) : QWidget(parent), m_lastDay(Clock::now().date())
{
    setObjectName(QStringLiteral("HistoryTimeline"));
    setMouseTracking(true);
    setMinimumSize(480, 200);
}

TimelineView::~TimelineView() = default;

void TimelineView::setLanes(const QList<TimelineLane> &lanes)
{
    m_lanes = lanes;
    updateGeometry();
    update();
}

void TimelineView::setView(const HistoryView &view)
{
    m_view = view;
    update();
}

void TimelineView::setDays(const QDate &lastDay, int count)
{
    m_lastDay = lastDay;
    m_days = count;
    update();
}

void TimelineView::zoomTo(const QDate &day)
{
    m_zoomed = true;
    m_zoomDay = day;
    update();
}

void TimelineView::zoomOut()
{
    m_zoomed = false;
    update();
}

QDate TimelineView::firstDay() const
{
    return m_zoomed ? m_zoomDay : m_lastDay.addDays(1 - m_days);
}

void TimelineView::setHighlight(const QDateTime &from, const QDateTime &to)
{
    m_highlightFrom = from;
    m_highlightTo = to;
    update();
}

// Lanes grow into the room there is, up to a limit: a few friends' days fill the view.
int TimelineView::laneHeight() const
{
    const int rowsShown = m_zoomed ? 1 : m_days;
    const int lanes = std::max<int>(1, int(m_lanes.size()));
    const int room = (height() - ScaleHeight - 4) / rowsShown - RowGap;
    const int largest = m_zoomed ? ZoomedLaneHeight * 2 : ZoomedLaneHeight;
    return std::clamp(room / lanes, m_zoomed ? ZoomedLaneHeight : LaneHeight, largest);
}

QSize TimelineView::sizeHint() const
{
    const int lanes = std::max<int>(1, int(m_lanes.size()));
    if (m_zoomed)
        return {760, ScaleHeight + lanes * ZoomedLaneHeight + RowGap + 4};
    return {760, ScaleHeight + m_days * (lanes * LaneHeight + RowGap) + 4};
}

QList<TimelineView::Row> TimelineView::rows() const
{
    QList<Row> rows;
    const int height = std::max<int>(1, int(m_lanes.size())) * laneHeight();
    const int count = m_zoomed ? 1 : m_days;
    for (int i = 0; i < count; ++i) {
        Row row;
        row.day = firstDay().addDays(i);
        row.rect = QRect(LabelWidth, ScaleHeight + i * (height + RowGap),
                         std::max(1, width() - LabelWidth - RightMargin), height);
        row.start = ms(row.day.startOfDay());
        row.end = ms(row.day.addDays(1).startOfDay());
        rows << row;
    }
    return rows;
}

int TimelineView::xAt(const Row &row, qint64 at) const
{
    const double share = double(at - row.start) / double(row.end - row.start);
    return row.rect.left() + int(std::lround(std::clamp(share, 0.0, 1.0) * row.rect.width()));
}

qint64 TimelineView::msAt(const Row &row, int x) const
{
    return row.start +
           qint64(double(x - row.rect.left()) / row.rect.width() * double(row.end - row.start));
}

QRect TimelineView::laneRect(const Row &row, int lane) const
{
    return QRect(row.rect.left(), row.rect.top() + lane * laneHeight(), row.rect.width(),
                 laneHeight() - 1);
}

QPoint TimelineView::pointAt(const QDateTime &time, int lane) const
{
    for (const Row &row : rows()) {
        if (ms(time) >= row.start && ms(time) < row.end)
            return {xAt(row, ms(time)), laneRect(row, lane).center().y()};
    }
    return {-1, -1};
}

void TimelineView::fillSpan(QPainter &painter, const Row &row, const QRect &lane, qint64 from,
                            qint64 to, const QBrush &brush, int minimumWidth)
{
    if (to < row.start || from > row.end || to < from)
        return;
    const int left = xAt(row, from);
    const int right = std::max(xAt(row, to), left + minimumWidth);
    if (right > left)
        painter.fillRect(QRect(left, lane.top(), right - left, lane.height()), brush);
}

// Whether the view read holds the friend's day: one being read is never drawn as offline.
bool TimelineView::holds(const Row &row, int lane) const
{
    const HistoryQuery &query = m_view.query;
    return query.friends.contains(m_lanes[lane].userName) && row.start >= ms(query.from) &&
           row.end <= ms(query.to);
}

void TimelineView::paintLane(QPainter &painter, const Row &row, int lane, qint64 now)
{
    const QRect rect = laneRect(row, lane);
    if (!holds(row, lane)) {
        painter.fillRect(rect, UnobservedBack);
        return;
    }
    painter.fillRect(rect, Observed);
    const QBrush hatched(Hatch, Qt::BDiagPattern);
    const auto unobserved = [&](qint64 from, qint64 to) {
        fillSpan(painter, row, rect, from, to, UnobservedBack);
        fillSpan(painter, row, rect, from, to, hatched);
    };
    const LogCoverage &coverage = m_view.coverage;
    // Before the log began, between its scans where it did not observe, and since its latest.
    if (!coverage.firstScan.isValid()) {
        unobserved(row.start, std::min(row.end, now));
    } else {
        unobserved(row.start, ms(coverage.firstScan));
        unobserved(ms(coverage.latestScan), now);
        for (const UnobservedStretch &stretch : coverage.stretches) {
            const auto [from, to] = span(stretch);
            unobserved(from, to);
        }
    }
    fillSpan(painter, row, rect, now, row.end, Future);
    const QColor colour = m_lanes[lane].colour;
    for (const Period &p : std::as_const(m_view.periods)) {
        if (p.userName != m_lanes[lane].userName)
            continue;
        if (p.imported) {
            fillSpan(painter, row, rect, ms(p.innerStart), ms(p.innerEnd),
                     QBrush(colour, Qt::Dense4Pattern), 2);
            continue;
        }
        fillSpan(painter, row, rect, startMs(p), endMs(p), faint(colour), 2);
        fillSpan(painter, row, rect, ms(p.innerStart), ms(p.innerEnd), colour, 2);
    }
}

void TimelineView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    const qint64 now = ms(Clock::now());
    const QList<Row> all = rows();
    const int hourStep = m_zoomed ? 1 : 3;
    painter.setPen(palette().color(QPalette::WindowText));
    if (!all.isEmpty()) {
        const Row &first = all.constFirst();
        for (int hour = 0; hour <= 24; hour += hourStep) {
            const int x = first.rect.left() + first.rect.width() * hour / 24;
            painter.drawText(QRect(x - 20, 0, 40, ScaleHeight), Qt::AlignCenter,
                             QString::number(hour));
        }
    }
    for (const Row &row : all) {
        const QString label = QLocale::c().toString(row.day, QStringLiteral("ddd dd/MM"));
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(QRect(0, row.rect.top(), LabelWidth - 6, row.rect.height()),
                         Qt::AlignRight | Qt::AlignVCenter, label);
        for (int lane = 0; lane < m_lanes.size(); ++lane)
            paintLane(painter, row, lane, now);
        if (m_highlightFrom.isValid())
            fillSpan(painter, row, row.rect, ms(m_highlightFrom), ms(m_highlightTo), Highlight);
        painter.setPen(GridLine);
        for (int hour = hourStep; hour < 24; hour += hourStep) {
            const int x = row.rect.left() + row.rect.width() * hour / 24;
            painter.drawLine(x, row.rect.top(), x, row.rect.bottom());
        }
        painter.drawRect(row.rect.adjusted(0, 0, -1, -1));
    }
}

QString TimelineView::textAt(const QPoint &point) const
{
    for (const Row &row : rows()) {
        if (!row.rect.contains(point) || m_lanes.isEmpty())
            continue;
        const int lane =
            std::min<int>(int(m_lanes.size()) - 1, (point.y() - row.rect.top()) / laneHeight());
        if (!holds(row, lane))
            return QStringLiteral("Reading the presence log\u2026");
        const qint64 at = msAt(row, point.x());
        // A period drawn at least two pixels wide is found where it is drawn.
        const qint64 slack = msAt(row, row.rect.left() + 2) - row.start;
        for (const Period &p : m_view.periods) {
            if (p.userName == m_lanes[lane].userName && at >= startMs(p) - slack &&
                at <= endMs(p) + slack)
                return periodText(p, m_lanes[lane].name, row.day);
        }
        const LogCoverage &coverage = m_view.coverage;
        const auto notObserved = [&](qint64 from, qint64 to, const QString &why) {
            return QStringLiteral("Not observed from %1 to %2: %3")
                .arg(timeOn(QDateTime::fromMSecsSinceEpoch(from), row.day),
                     timeOn(QDateTime::fromMSecsSinceEpoch(to), row.day), why);
        };
        for (const UnobservedStretch &stretch : coverage.stretches) {
            const auto [from, to] = span(stretch);
            if (at >= from && at <= to)
                return notObserved(from, to, unobservedCause(stretch.cause));
        }
        const qint64 now = ms(Clock::now());
        if (at > now)
            return {};
        if (!coverage.firstScan.isValid() || at < ms(coverage.firstScan))
            return QStringLiteral("Not observed: %1").arg(unobservedCause(Unobserved::Start));
        if (at > ms(coverage.latestScan))
            return QStringLiteral("Not observed yet: the latest scan was at %1")
                .arg(timeOn(coverage.latestScan, row.day));
        return QStringLiteral("%1 offline").arg(m_lanes[lane].name);
    }
    return {};
}

bool TimelineView::event(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        const auto *help = static_cast<QHelpEvent *>(event);
        const QString text = textAt(help->pos());
        if (text.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), text, this);
        return true;
    }
    return QWidget::event(event);
}

void TimelineView::mouseDoubleClickEvent(QMouseEvent *event)
{
    for (const Row &row : rows()) {
        if (row.rect.contains(event->position().toPoint())) {
            emit zoomAsked(row.day);
            return;
        }
    }
}

void TimelineView::wheelEvent(QWheelEvent *event)
{
    const int steps = event->angleDelta().y() / 120;
    if (steps != 0)
        emit scrollAsked(-steps);
    event->accept();
}

} // namespace amiscan
