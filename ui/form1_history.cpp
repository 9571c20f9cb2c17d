// The history window and its ways in from the main window: Ctrl+H, the model's requests (a later
// start with --history, a notification's action "History"), and the notice of who was online
// while the user was away.
#include "desktop/away_watch.h"
#include "desktop/notifier.h"
#include "model/main_model.h"
#include "ui/away_announcer.h"
#include "ui/form1.h"
#include "ui/history_window.h"

#include <QShortcut>

namespace amiscan {

void Form1::connectHistory()
{
    auto *history = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_H), this);
    history->setObjectName(QStringLiteral("ShortcutHistory"));
    connect(history, &QShortcut::activated, this, &Form1::showHistory);
    // A later start with --history, a notification's action "History", the preferences.
    connect(&m_model, &MainModel::historyRequested, this, &Form1::showHistory);
    m_away = std::make_unique<AwayAnnouncer>(
        m_model, this,
        [this](const QDateTime &from, const QDateTime &to, const QStringList &friends) {
            showHistoryAt(from, to, friends);
        });
}

void Form1::showHistory()
{
    // Made when asked for, and gone with everything it read once closed.
    if (!m_history)
        m_history = new HistoryWindow(m_model, this);
    m_history->show();
    m_history->raise();
    m_history->activateWindow();
}

void Form1::showHistoryAt(const QDateTime &from, const QDateTime &to, const QStringList &friends)
{
    showHistory();
    m_history->showStretch(from, to, friends);
}

HistoryWindow *Form1::historyWindow() const
{
    return m_history;
}

void Form1::setAwayWatch(std::unique_ptr<AwayWatch> watch)
{
    m_away->setWatch(std::move(watch));
}

void Form1::setAwayNotifier(std::unique_ptr<Notifier> notifier)
{
    m_away->setNotifier(std::move(notifier));
}

} // namespace amiscan
