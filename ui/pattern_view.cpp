#include "ui/pattern_view.h"

#include "ui/history_look.h"

#include <QHelpEvent>
#include <QLocale>
#include <QPainter>
#include <QToolTip>

namespace amiscan {

namespace {

using namespace history_look;

constexpr int LabelWidth = 44;
constexpr int ScaleHeight = 18;
constexpr int Margin = 8;

// "Mondays", as the tooltips name the days.
QString daysName(int day)
{
    return QLocale::c().dayName(day + 1) + u's';
}

} // namespace

PatternView::PatternView(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("HistoryPattern"));
    setMouseTracking(true);
    setMinimumSize(360, 120);
}

PatternView::~PatternView() = default;

void PatternView::setPattern(const WeeklyPattern &pattern, const QColor &colour)
{
    m_pattern = pattern;
    m_colour = colour;
    update();
}

QSize PatternView::sizeHint() const
{
    return {LabelWidth + 24 * 28 + Margin, ScaleHeight + 7 * 28 + Margin};
}

QRect PatternView::cellRect(int day, int hour) const
{
    const int w = std::max(1, width() - LabelWidth - Margin);
    const int h = std::max(1, height() - ScaleHeight - Margin);
    const int left = LabelWidth + w * hour / WeeklyPattern::Hours;
    const int top = ScaleHeight + h * day / WeeklyPattern::Days;
    return QRect(left, top, LabelWidth + w * (hour + 1) / WeeklyPattern::Hours - left,
                 ScaleHeight + h * (day + 1) / WeeklyPattern::Days - top);
}

QPoint PatternView::cellCentre(int day, int hour) const
{
    return cellRect(day, hour).center();
}

QString PatternView::cellText(int day, int hour) const
{
    const PatternCell &cell = m_pattern.cell(day, hour);
    const QString when = QStringLiteral("%1 %2:00\u2013%3:00")
                             .arg(daysName(day))
                             .arg(hour, 2, 10, QChar(u'0'))
                             .arg((hour + 1) % 24, 2, 10, QChar(u'0'));
    if (!cell.known())
        return when + QStringLiteral(": never observed, so unknown");
    return when + QStringLiteral(": online %1 % of the %2 observed")
                      .arg(qRound(cell.share() * 100))
                      .arg(duration(cell.observedMs));
}

void PatternView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    painter.setPen(palette().color(QPalette::WindowText));
    for (int hour = 0; hour < WeeklyPattern::Hours; hour += 3) {
        const QRect cell = cellRect(0, hour);
        painter.drawText(QRect(cell.left(), 0, cell.width() * 3, ScaleHeight),
                         Qt::AlignLeft | Qt::AlignVCenter, QString::number(hour));
    }
    for (int day = 0; day < WeeklyPattern::Days; ++day) {
        const QRect first = cellRect(day, 0);
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(QRect(0, first.top(), LabelWidth - 6, first.height()),
                         Qt::AlignRight | Qt::AlignVCenter,
                         QLocale::c().dayName(day + 1, QLocale::ShortFormat));
        for (int hour = 0; hour < WeeklyPattern::Hours; ++hour) {
            const QRect cell = cellRect(day, hour);
            const PatternCell &data = m_pattern.cell(day, hour);
            if (data.known()) {
                QColor deep = m_colour;
                deep.setAlphaF(float(data.share()));
                painter.fillRect(cell, Observed);
                painter.fillRect(cell, deep);
            } else {
                painter.fillRect(cell, UnobservedBack);
                painter.fillRect(cell, QBrush(Hatch, Qt::BDiagPattern));
            }
            painter.setPen(GridLine);
            painter.drawRect(cell.adjusted(0, 0, -1, -1));
        }
    }
}

bool PatternView::event(QEvent *event)
{
    if (event->type() != QEvent::ToolTip)
        return QWidget::event(event);
    const auto *help = static_cast<QHelpEvent *>(event);
    for (int day = 0; day < WeeklyPattern::Days; ++day) {
        for (int hour = 0; hour < WeeklyPattern::Hours; ++hour) {
            if (cellRect(day, hour).contains(help->pos())) {
                QToolTip::showText(help->globalPos(), cellText(day, hour), this);
                return true;
            }
        }
    }
    QToolTip::hideText();
    return true;
}

} // namespace amiscan
