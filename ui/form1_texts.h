#pragma once

// Every text the main window shows: its captions, the status row's wordings and the help line's
// texts. The scan's and the status row's own are kept beside the code that shows them, the list
// title's summaries are built with their counts in lists/list_title.cpp, and the messages of the
// dialog window are worded where they are raised.
#include "scan/scan_texts.h"
#include "schedule/status_texts.h"
#include "store/characters.h"

#include <QString>

namespace amiscan::texts {

// The program's name: the window caption, the title and the status label's first text.
inline const QString ProgramName = QStringLiteral("Amiscan");

// Panel captions.
inline const QString HidePanelCaption = QStringLiteral("Hide Panel");
inline const QString ShowPanelCaption = QStringLiteral("Show Panel");
inline const QString AutoStartCaption = QStringLiteral("Auto Start");
inline const QString EveryCaption = QStringLiteral("every  ");
inline const QString MinutesCaption = QStringLiteral("mn");
inline const QString TimerCaption = QStringLiteral("Timer");
inline const QString TimerOnCaption = QStringLiteral("ON");
inline const QString TimerOffCaption = QStringLiteral("OFF");
inline const QString FilterCaption = QStringLiteral("Filter");
inline const QString OfflineCaption = QStringLiteral("Offline");
inline const QString UserCaption = QStringLiteral("User");
inline const QString AboutCaption = QStringLiteral("?");
inline const QString ExitCaption = QStringLiteral("Exit");
inline const QString TrayCaption = QStringLiteral("Minimize icon ");

// The top row's toggles while the panel is hidden, by the value of their check box.
inline const QString FilterOff = QStringLiteral("Filter enabled: OFF");
inline const QString FilterOn = QStringLiteral("Filter enabled: ON ");
inline const QString HideOfflineOff = QStringLiteral("Hide offline: OFF");
inline const QString HideOfflineOn = QStringLiteral("Hide offline: ON");
inline const QString NameDisplay = QStringLiteral("Name : Display Name");
inline const QString NameUser = QStringLiteral("Name : User Name");

// Names that screen readers give the controls without a caption of their own.
inline const QString IntervalName = QStringLiteral("Scan interval in minutes");
inline const QString MainListName = QStringLiteral("Friends");
inline const QString ManageListName = QStringLiteral("Friends to show or delete");

// Status row, while the history is read.
inline const QString ReadingFile = QStringLiteral(" Read file ...");

// List title row and the lists' first lines before there is any history.
inline const QString FirstSessionTitle =
    QStringLiteral(" Friends") + QString(57, u' ') + QStringLiteral("Start") + QString(38, u' ') +
    QStringLiteral("End") + QString(24, u' ') + QStringLiteral("Lenght");
inline const QString SecondSessionTitle =
    QStringLiteral(" Friends") + QString(5, u' ') + QStringLiteral("(2nd session)") +
    QString(31, u' ') + QStringLiteral("Start 2") + QString(35, u' ') + QStringLiteral("End 2") +
    QString(21, u' ') + QStringLiteral("Lenght");
inline const QString CheckAllCaption = QStringLiteral("Uncheck/Check all friends");
inline const QString MainListInstructions[] = {
    QStringLiteral(" - Enter your <Vey Username> and your <Vey Password>,"),
    QStringLiteral(" - Then click on <Start Scan>"),
};
inline const QString ManageListInstructions[] = {
    QStringLiteral(" On this 2nd list, you can manage your Vey friends :"),
    QStringLiteral(" delete or select the ones you want to display"),
};

// Help line: what the control under the mouse does. A label beside a control shares its text.
inline const QString TitleHelpPrefix = QStringLiteral("Amiscan "); // then the version
inline const QString ShowPanelHelp = QStringLiteral(
    "Click to show the panel to recover the normal window size [or <Double click> on List]");
inline const QString HidePanelHelp = QStringLiteral(
    "Click to hide the panel to reduce the size of the window (or <Double click> on List)");
inline const QString UserNameHelp = QStringLiteral("Enter your Vey Username");
inline const QString PasswordHelp = QStringLiteral("Enter your Vey Password");
inline const QString AutoStartHelp =
    QStringLiteral("If checked, the scan begin when program starts");
inline const QString StartScanHelp = QStringLiteral("Click to scan your friends online");
inline const QString IntervalHelp = QStringLiteral("Enter the scan interval (in minutes)");
inline const QString TimerHelp = QStringLiteral("Click to stop or start the timer");
inline const QString FilterHelp =
    QStringLiteral("If checked, the list displays only selected friends (<Right click> on list to "
                   "manage your selections)");
inline const QString OfflineHelp =
    QStringLiteral("If checked, the list do not displays friends Offline");
inline const QString UserHelp =
    QStringLiteral("If checked, the list displays User Name, instead of Display Name");
inline const QString TrayHelp =
    QStringLiteral("If checked, the window is minimized to icon in notification area (bottom "
                   "right corner next to the clock)");
inline const QString AboutHelp = QStringLiteral("About Amiscan");
inline const QString ExitHelp =
    QStringLiteral("Click to save data and close the program (The red <X> closes the program but "
                   "does not save data)");
inline const QString FilterOffHelp =
    QStringLiteral("The list displays All friends, Selected and Unselected");
inline const QString FilterOnHelp = QStringLiteral("The list displays ONLY selected friends");
inline const QString HideOfflineOffHelp =
    QStringLiteral("The list displays All friends, Online and Offline");
inline const QString HideOfflineOnHelp = QStringLiteral("The list do NOT displays friends Offline");
inline const QString NameDisplayHelp =
    QStringLiteral("Names of the list are Display Name (not UserName)");
inline const QString NameUserHelp =
    QStringLiteral("Names of the list are UserName (not Display Name)");
inline const QString ScanLastHelp = QStringLiteral("<Click> to start the scan  (as [Start Scan])");
inline const QString ScanNextHelp =
    QStringLiteral("<Click> to stop or start the timer  (as [Timer])");
inline const QString CheckAllHelp = QStringLiteral(
    "Check or Uncheck all friends list (to undo, close the program with the red <X>)");

// Lists and session switch.

// The session mark beside the column title: the number of the session shown.
inline const QString SessionMarkFirst = QStringLiteral("1");
inline const QString SessionMarkSecond = QStringLiteral("2");
// Over the column title and the session mark: what a click shows.
inline const QString SessionHelpToFirst = QStringLiteral("<Click> to display the 1st session");
inline const QString SessionHelpToSecond = QStringLiteral("<Click> to display the 2nd session");
// Over the main list with no line selected: what selecting a friend shows.
inline const QString MainListHelpSelectsFirst =
    QStringLiteral("<Right Click> manages the list  -  <Double Click> hides/shows Panel  -  "
                   "<Select> shows 1st session");
inline const QString MainListHelpSelectsSecond =
    QStringLiteral("<Right Click> manages the list  -  <Double Click> hides/shows Panel  -  "
                   "<Select> shows 2nd session");
// Over the management list with no line selected; it has always ended in a double quote.
inline const QString ManageListHelp =
    QStringLiteral("<Right Click> to return  -  <Uncheck> hides this friend  -  "
                   "<Select and press DEL> deletes this friend\"");
// The deletion's question: the display name, then the user name when it differs.
inline const QString DeleteQuestion = QStringLiteral("Delete this friend ?");
inline const QString DeleteQuestionAfterUserName = QStringLiteral(" Delete this friend ?");
inline QString deleteUserNameLine(const QString &accountName)
{
    return QStringLiteral("( ") + leftCharacters(accountName, 19).toString() + QStringLiteral(" )");
}

} // namespace amiscan::texts
