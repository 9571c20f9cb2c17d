#include "ui/list_help.h"

#include "ui/form1.h"
#include "ui/form1_texts.h"
#include "ui/line_list.h"
#include "ui/mouse_events.h"

#include <QLabel>

namespace amiscan {

void showHelpText(Form1 &form, const QString &text)
{
    form.LabHelp->setText(text);
    showHelpLine(form);
}

void showHelpLine(Form1 &form)
{
    form.LabHelp->show();
    form.LabHelpNom->hide();
}

void showCompanionLine(Form1 &form)
{
    form.LabHelp->hide();
    form.LabHelpNom->show();
}

void connectListHelp(Form1 &form)
{
    const auto sessionHelp = [&form](const QPoint &) {
        showHelpText(form, form.state.sessionShown != Session::First ? texts::SessionHelpToFirst
                                                                     : texts::SessionHelpToSecond);
    };
    onMouseMove(form.LabTitList1, sessionHelp);
    onMouseMove(form.LabSession, sessionHelp);

    // Over the main list a selected friend keeps its companion line in view.
    onMouseMove(form.List1, [&form](const QPoint &) {
        if (form.List1->currentRow() >= 0)
            showCompanionLine(form);
        else
            showHelpText(form, form.state.sessionShown != Session::First
                                   ? texts::MainListHelpSelectsFirst
                                   : texts::MainListHelpSelectsSecond);
    });

    // The management list only words the help line; which label shows is left as it is.
    onMouseMove(form.List2, [&form](const QPoint &) {
        if (form.List2->currentRow() < 0)
            form.LabHelp->setText(texts::ManageListHelp);
    });
}

} // namespace amiscan
