#pragma once

// The main window's fixed texts: captions, help texts and the dialog texts it asks with.
#include <QString>

namespace amiscan::texts {

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
    return QStringLiteral("( ") + accountName.left(19) + QStringLiteral(" )");
}

} // namespace amiscan::texts
