// The ways the program ends and what each saves. Every way removes the notification-area icon
// and ends the whole program, the dialog window included.
#include "desktop/tray_icon.h"
#include "ui/form1.h"

#include <QCloseEvent>
#include <QTimer>

namespace amiscan {

void Form1::endProgram(ExitRoute route)
{
    if (m_ended)
        return;
    // A scan in progress is not waited for; its timers stop here, before anything is saved.
    Timer1->stop();
    TimerScan->stop();
    // The close box keeps the history as last saved: it is the way to drop the changes made
    // since then.
    if (route != ExitRoute::CloseBox)
        saveHistory();
    // Whatever the way out, a save under way or asked for is written before the program ends.
    waitForHistorySave();
    saveSettings();
    m_ended = true;

    if (m_trayIcon)
        m_trayIcon->remove();
    // A modal dialog's own run ends with it, so nothing waits on the user any more.
    unloadDialog();
    hide();
    emit programEnded();
}

void Form1::closeEvent(QCloseEvent *event)
{
    // The program's own ways out have ended it already; any other closing of the window is
    // the user's close box.
    endProgram(ExitRoute::CloseBox);
    event->accept();
}

} // namespace amiscan
