#pragma once

#include "model/weekly_pattern.h"

#include <QWidget>

namespace amiscan {

// The weekly pattern as a grid: the days of the week down, their 24 hours across, each hour as
// deep in the friend's colour as the share of its observed time they were online. An hour never
// observed is hatched and marked unknown: it is not offline.
class PatternView final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PatternView)

public:
    explicit PatternView(QWidget *parent = nullptr);
    ~PatternView() override;

    void setPattern(const WeeklyPattern &pattern, const QColor &colour);
    // The middle of an hour's cell (Monday 0).
    QPoint cellCentre(int day, int hour) const;
    // What the tooltip says over an hour's cell.
    QString cellText(int day, int hour) const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    bool event(QEvent *event) override;

private:
    QRect cellRect(int day, int hour) const;

    WeeklyPattern m_pattern;
    QColor m_colour;
};

} // namespace amiscan
