#include "app/end_of_run.h"

#include "ui/form1.h"

#include <QGuiApplication>
#include <QSessionManager>

namespace amiscan {

EndOfRun::EndOfRun(Form1 &form, QObject *parent) : QObject(parent), m_form(form)
{
    connect(&m_signals, &TerminationSignals::received, this,
            [this] { m_form.endProgram(ExitRoute::OtherClosing); });

    // The session manager asks for the data first and may still cancel the logout: save now,
    // end when the session really ends.
    connect(qGuiApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager &) {
        m_form.saveHistory();
        m_form.saveSettings();
    });
    // The session's end reaches the application as a Quit event, which would close the windows
    // as if by their close boxes: end the program this way instead.
    qGuiApp->installEventFilter(this);
}

EndOfRun::~EndOfRun() = default;

bool EndOfRun::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == qGuiApp && event->type() == QEvent::Quit) {
        m_form.endProgram(ExitRoute::OtherClosing);
        return true;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace amiscan
