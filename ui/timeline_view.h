#pragma once

#include "model/history_model.h"

#include <QDate>
#include <QWidget>

namespace amiscan {

// One friend's lane in the timeline.
struct TimelineLane
{
    QString userName;
    QString name;
    QColor colour;
};

// The timeline: one row a day, 24 hours wide, a lane per friend in each row. Online periods are
// solid between their inner bounds and faint out to their outer bounds; what the log did not
// observe is hatched, with its cause and times in a tooltip. Drawn from the latest view read,
// whatever days it covers: a view being read never holds the window up.
class TimelineView final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TimelineView)

public:
    explicit TimelineView(QWidget *parent = nullptr);
    ~TimelineView() override;

    void setLanes(const QList<TimelineLane> &lanes);
    void setView(const HistoryView &view);
    // The days shown, the last one last; or one day alone, wider.
    void setDays(const QDate &lastDay, int count);
    void zoomTo(const QDate &day);
    void zoomOut();
    bool isZoomed() const { return m_zoomed; }
    QDate firstDay() const;
    QDate lastDay() const { return m_lastDay; }
    // A stretch drawn across every lane (the time the user was away); none when invalid.
    void setHighlight(const QDateTime &from, const QDateTime &to);

    // Where the time is drawn in a friend's lane: the middle of the lane, or (-1, -1) when the
    // time is not shown.
    QPoint pointAt(const QDateTime &time, int lane) const;
    // What the tooltip says at a point.
    QString textAt(const QPoint &point) const;

    QSize sizeHint() const override;

signals:
    // A double click on a row: that day, or back to the days when zoomed.
    void zoomAsked(const QDate &day);
    // The wheel: earlier (negative) or later days.
    void scrollAsked(int days);

protected:
    void paintEvent(QPaintEvent *event) override;
    bool event(QEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    struct Row
    {
        QDate day;
        QRect rect;
        qint64 start = 0; // UTC milliseconds of the day's local midnight
        qint64 end = 0;
    };
    QList<Row> rows() const;
    int laneHeight() const;
    int xAt(const Row &row, qint64 at) const;
    qint64 msAt(const Row &row, int x) const;
    QRect laneRect(const Row &row, int lane) const;
    bool holds(const Row &row, int lane) const;
    void paintLane(QPainter &painter, const Row &row, int lane, qint64 now);
    void fillSpan(QPainter &painter, const Row &row, const QRect &lane, qint64 from, qint64 to,
                  const QBrush &brush, int minimumWidth = 0);

    QList<TimelineLane> m_lanes;
    HistoryView m_view;
    QDate m_lastDay;
    int m_days = HistoryDays;
    bool m_zoomed = false;
    QDate m_zoomDay;
    QDateTime m_highlightFrom;
    QDateTime m_highlightTo;
};

} // namespace amiscan
