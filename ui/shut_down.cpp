// The ways the program ends and what each saves. Every way removes the notification-area icon
// and ends the whole program, the dialog window included.
#include "model/main_model.h"
#include "ui/dialog.h"
#include "ui/form1.h"
#include "ui/tray.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QTimer>

#include <cstdio>

namespace amiscan {

namespace {

const QString SaveFailedLine = QStringLiteral("Unable to save !");
const QStringList RetryCaptions{QStringLiteral("Retry"), QStringLiteral("Quit")};

} // namespace

bool Form1::askToRetrySave(const QString &path, const QString &reason)
{
    // The window may be hidden in the notification area.
    if (!isVisible())
        bringBack();
    return m_dialogs->confirm({SaveFailedLine, QFileInfo(path).fileName(), reason}, RetryCaptions);
}

void Form1::endProgram(ExitRoute route)
{
    // Once ending, a later way out (a signal while the question below is open) adds nothing.
    if (m_model.hasEnded() || m_ending)
        return;
    m_ending = true;
    // A scan in progress is not waited for; its timers stop here, before anything is saved.
    m_model.stopTimers();
    // The close box keeps the history as last saved: it is the way to drop the changes made
    // since then. A save of it that failed is still made.
    if (route != ExitRoute::CloseBox)
        m_model.saveHistory();
    else
        m_model.retryFailedSaves();
    // Whatever the way out, a save under way or asked for is written before the program ends.
    m_model.waitForHistorySave();
    m_model.saveSettings();
    // What cannot be saved is never lost unseen: the user chooses between another try and
    // quitting. Standard error has the whole path, for a start from a terminal; without a
    // display it is all there is.
    while (const std::optional<SaveFailure> failure = m_model.saveFailure()) {
        std::fprintf(stderr, "amiscan: cannot save %s: %s\n", qPrintable(failure->path),
                     qPrintable(failure->reason));
        if (route == ExitRoute::DisplayLost || !askToRetrySave(failure->path, failure->reason))
            break;
        m_model.retryFailedSaves();
        m_model.waitForHistorySave();
    }
    m_model.end(route == ExitRoute::DisplayLost);
    // The display is gone with the window and the icon.
    if (route == ExitRoute::DisplayLost)
        return;

    m_tray->remove();
    // A modal dialog's own run ends with it, so nothing waits on the user any more.
    m_dialogs->unload();
    hide();
    emit programEnded();
}

void Form1::closeEvent(QCloseEvent *event)
{
    // The program's own ways out have ended it already; any other closing of the window is
    // the user's close box. While a way out asks about a failed save, the window stays.
    if (m_ending && !m_model.hasEnded()) {
        event->ignore();
        return;
    }
    endProgram(ExitRoute::CloseBox);
    event->accept();
}

} // namespace amiscan
