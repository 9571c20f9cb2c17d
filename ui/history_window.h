#pragma once

#include "model/history_model.h"

#include <QDate>
#include <QWidget>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QScrollArea;
class QTableWidget;
class QTabWidget;
class QTimer;

namespace amiscan {

class MainModel;
class PatternView;
class TimelineView;

// The window "Amiscan – History": the friends with a search box (the chosen ones first, who is
// online now), and for one friend or a few chosen together their timeline of the last days, their
// weekly pattern and their periods as a table, which exports as the command line does. Everything
// it shows comes from the model's table and the presence log, read off the window's thread.
class HistoryWindow final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(HistoryWindow)

public:
    explicit HistoryWindow(MainModel &model, QWidget *parent = nullptr);
    ~HistoryWindow() override;

    // The stretch from `from` to `to` on its day, marked, with the friends given (user names)
    // chosen in the list.
    void showStretch(const QDateTime &from, const QDateTime &to, const QStringList &friends);
    // The latest view read from the log.
    const HistoryView &view() const { return m_view; }
    // The periods the table shows, which Export writes.
    const QList<Period> &shownPeriods() const { return m_shown; }

signals:
    // A view read from the log is drawn (tests and benchmarks wait for it).
    void viewShown();
    // An export ended; an empty error: written.
    void exportEnded(const QString &error);

private:
    void buildControls();
    void fillFriends();
    void filterFriends();
    void chooseFriends(const QStringList &userNames);
    QStringList friendsChosen() const;
    void friendsChanged();
    void askView();
    void showView(const HistoryView &view);
    void showPattern();
    void fillPeriods();
    void moveDays(int days);
    void showDays(const QDate &lastDay);
    void zoom(const QDate &day);
    void zoomOut();
    // The latest day in sight: the rows end with it.
    void scrollToLatestDay();
    void askExport();
    void exportTo(const QString &path, const QString &filter);

    MainModel &m_model;
    HistoryModel m_reader;
    HistoryView m_view;
    QList<Period> m_shown;
    QDate m_lastDay;
    QTimer *m_refresh = nullptr;

    QLineEdit *m_search = nullptr;
    QListWidget *m_friends = nullptr;
    QPushButton *m_earlier = nullptr;
    QPushButton *m_later = nullptr;
    QPushButton *m_today = nullptr;
    QPushButton *m_zoomOut = nullptr;
    QPushButton *m_export = nullptr;
    QLabel *m_range = nullptr;
    QLabel *m_legend = nullptr;
    QTabWidget *m_tabs = nullptr;
    TimelineView *m_timeline = nullptr;
    QScrollArea *m_timelineScroll = nullptr;
    QComboBox *m_patternFriend = nullptr;
    PatternView *m_pattern = nullptr;
    QLabel *m_summary = nullptr;
    QLabel *m_basis = nullptr;
    QTableWidget *m_periods = nullptr;
    QLabel *m_status = nullptr;
};

} // namespace amiscan
