#include "app/end_of_run.h"

#include "model/main_model.h"
#include "store/presence_db.h"
#include "ui/form1.h"

#include <QGuiApplication>
#include <QSessionManager>

#include <cstdlib>

namespace amiscan {

namespace {

// The window whose files are saved when the process ends by exit() behind its back.
Form1 *formAtExit = nullptr;
const MainModel *modelAtExit = nullptr;

void saveAtExit()
{
    // Before the window is shown nothing has changed, and the history may not be read yet.
    if (Form1 *form = formAtExit; form && modelAtExit->state().windowReady)
        form->endProgram(ExitRoute::DisplayLost);
}

} // namespace

EndOfRun::EndOfRun(Form1 &form, MainModel &model, QObject *parent)
    : QObject(parent), m_form(form), m_model(model)
{
    connect(&m_signals, &TerminationSignals::received, this,
            [this] { m_form.endProgram(ExitRoute::OtherClosing); });

    // The session manager asks for the data first and may still cancel the logout: save now,
    // end when the session really ends.
    connect(qGuiApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager &) {
        m_model.saveHistory();
        m_model.saveSettings();
        m_model.waitForHistorySave();
    });
    // The session's end reaches the application as a Quit event, which would close the windows
    // as if by their close boxes: end the program this way instead.
    qGuiApp->installEventFilter(this);

    // Qt's X11 platform ends the process with exit() when its connection to the display breaks
    // (the X server died): the objects are still whole then, and the saving thread still runs.
    // The presence log is closed then too, on its own thread: the database library it uses is
    // loaded first, so that exit() tears it down only after the handler has run.
    loadDatabaseLibrary();
    static const bool registered = std::atexit(saveAtExit) == 0;
    Q_UNUSED(registered)
    formAtExit = &m_form;
    modelAtExit = &m_model;
}

EndOfRun::~EndOfRun()
{
    if (formAtExit == &m_form)
        formAtExit = nullptr;
}

bool EndOfRun::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == qGuiApp && event->type() == QEvent::Quit) {
        m_form.endProgram(ExitRoute::OtherClosing);
        return true;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace amiscan
