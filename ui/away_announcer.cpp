#include "ui/away_announcer.h"

#include "desktop/desktop_notifier.h"
#include "desktop/screen_saver_watch.h"
#include "model/away_report.h"
#include "ui/form1_texts.h"

#include <QTimer>
#include <QWidget>

namespace amiscan {

AwayAnnouncer::AwayAnnouncer(MainModel &model, QWidget *window, OpenHistory openHistory)
    : m_window(window), m_openHistory(std::move(openHistory)),
      m_report(new AwayReport(model, window))
{
    m_report->setObjectName(QStringLiteral("AwayReport"));
    QObject::connect(m_report, &AwayReport::noticeDue, window,
                     [this](const QString &text, const QDateTime &from, const QDateTime &to,
                            const QStringList &friends) {
                         if (!m_notifier)
                             setNotifier(std::make_unique<DesktopNotifier>());
                         m_from = from, m_to = to, m_friends = friends;
                         m_notifier->notify(m_window->windowIcon(), texts::ProgramName, text,
                                            QStringLiteral("presence.online"));
                     });
    // The desktop's own, once the window's events run: a test sets its own before.
    QTimer::singleShot(0, window, [this] {
        if (!m_watch)
            setWatch(std::make_unique<ScreenSaverWatch>());
    });
}

AwayAnnouncer::~AwayAnnouncer() = default;

void AwayAnnouncer::setWatch(std::unique_ptr<AwayWatch> watch)
{
    m_watch = std::move(watch);
    QObject::connect(m_watch.get(), &AwayWatch::wentAway, m_report, &AwayReport::wentAway);
    QObject::connect(m_watch.get(), &AwayWatch::cameBack, m_report, &AwayReport::cameBack);
}

void AwayAnnouncer::setNotifier(std::unique_ptr<Notifier> notifier)
{
    m_notifier = std::move(notifier);
    // A click, "Show" and "History" alike: what it tells is in the history.
    for (const auto signal : {&Notifier::activated, &Notifier::historyAsked})
        QObject::connect(m_notifier.get(), signal, m_notifier.get(),
                         [this] { m_openHistory(m_from, m_to, m_friends); });
}

} // namespace amiscan
