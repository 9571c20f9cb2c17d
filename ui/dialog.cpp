// The dialog window as the main window uses it: loading a fresh dialog, filling it for messages,
// confirmations and the About box, and placing and showing it over the main window.
#include "ui/dialog.h"

#include "ui/form1.h"
#include "ui/form2.h"
#include "ui/line_list.h"
#include "ui/mouse_events.h"
#include "ui/park_focus.h"
#include "ui/twips.h"

#include <QEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

namespace amiscan {

namespace {

const QString AboutCaption = QStringLiteral("About");

// Lines of a message or confirmation: the first two labels, and the third only when there is a
// third line; the About box's parts stay hidden.
void fillLines(Form2 *dialog, const QStringList &lines, bool confirmation)
{
    dialog->Label1->setText(lines.value(0));
    dialog->Label2->setText(lines.value(1));
    const bool threeLines = lines.size() > 2;
    if (threeLines)
        dialog->Label3->setText(lines.at(2));
    else
        dialog->Label3->hide();
    // A line wider than its label (a reason given by the system) can still be read whole.
    for (QLabel *label : {dialog->Label1, dialog->Label2, dialog->Label3}) {
        if (label->fontMetrics().horizontalAdvance(label->text()) > label->width())
            label->setToolTip(label->text());
    }
    dialog->Label4->hide();
    dialog->LabURL->hide();

    dialog->ButOk->setVisible(!confirmation);
    dialog->ButYes->setVisible(confirmation);
    dialog->ButCancel->setVisible(confirmation);
    const int buttonTop = threeLines ? 1080 : 960;
    for (QPushButton *button : {dialog->ButOk, dialog->ButYes, dialog->ButCancel})
        setTwipsTop(button, buttonTop);
}

// Returning to the main window closes the About box. Messages and confirmations are modal and
// close only by their own buttons: an activation that the window system delivers late, after
// the main window was brought back for a message, must not dismiss that message unseen.
class AboutCloser final : public QObject
{
public:
    explicit AboutCloser(Form1 &form) : QObject(&form), m_form(form) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == &m_form && event->type() == QEvent::WindowActivate) {
            const Form2 *dialog = m_form.dialog();
            if (dialog && dialog->isVisible() && !dialog->isModal())
                m_form.unloadDialog();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    Form1 &m_form;
};

} // namespace

void connectDialogControls(Form1 &form)
{
    QObject::connect(form.ButAbout, &QPushButton::clicked, &form, [&form] { form.showAbout(); });
    onClick(form.LabelProg1, [&form] { form.showAbout(); });
    onClick(form.LabelProg2, [&form] { form.showAbout(); });
    form.installEventFilter(new AboutCloser(form));
}

Form2 *Form1::loadDialog()
{
    // One dialog at a time: whatever is still open (the About box) goes first.
    unloadDialog();

    auto *dialog = new Form2;
    dialog->setWindowTitle(QStringLiteral("Amiscan"));
    connect(dialog, &Form2::answeredYes, this, [this] { state.dialogAnswer = true; });
    // The About box has no owner; it must still not outlive the main window.
    connect(this, &QObject::destroyed, dialog, [dialog] { delete dialog; });
    m_dialog = dialog;
    return dialog;
}

Form2 *Form1::dialog() const
{
    return m_dialog;
}

void Form1::unloadDialog()
{
    if (Form2 *dialog = m_dialog) {
        m_dialog.clear();
        dialog->close();
    }
}

void Form1::showDialog(bool wait)
{
    Form2 *dialog = m_dialog;
    if (!dialog)
        return;

    const bool about = dialog->windowTitle() == AboutCaption;
    if (!about)
        dialog->setParent(this, dialog->windowFlags());

    // Centred horizontally on the main window, 2800 twips below its top. The dialog's frame is
    // not known before it is shown: take it as thick as the main window's.
    const QRect main = frameGeometry();
    const int dialogOuterWidth = dialog->width() + main.width() - width();
    dialog->move(main.x() + main.width() / 2 - dialogOuterWidth / 2, main.y() + toPixels(2800));

    if (about) {
        dialog->show();
        dialog->activateWindow();
        return;
    }
    if (wait) {
        dialog->exec();
        return;
    }
    dialog->setWindowModality(Qt::ApplicationModal);
    dialog->show();
}

void Form1::showMessage(const QStringList &lines)
{
    fillLines(loadDialog(), lines, false);
    showDialog();
}

Form2 *Form1::openMessage(const QStringList &lines)
{
    Form2 *dialog = loadDialog();
    fillLines(dialog, lines, false);
    showDialog(false);
    return dialog;
}

bool Form1::confirm(const QStringList &lines, const QStringList &captions)
{
    Form2 *dialog = loadDialog();
    fillLines(dialog, lines, true);
    if (captions.size() == 2) {
        dialog->ButYes->setText(captions.at(0));
        dialog->ButCancel->setText(captions.at(1));
    }
    state.dialogAnswer = false;
    showDialog();
    return state.dialogAnswer;
}

void Form1::showAbout()
{
    ListTri->setFocus(Qt::OtherFocusReason);
    clearCurrentLine(List1);

    Form2 *dialog = loadDialog();
    dialog->setWindowTitle(AboutCaption);
    dialog->Label1->setText(dialog->Label1->property("tag").toString());
    dialog->Label2->setText(state.versionText);
    dialog->Label3->setText(dialog->Label3->property("tag").toString());
    dialog->Label4->show();
    dialog->LabURL->show();
    dialog->LabURL->setText(dialog->LabURL->property("tag").toString());
    for (QPushButton *button : {dialog->ButOk, dialog->ButYes, dialog->ButCancel})
        button->hide();
    showDialog();
}

} // namespace amiscan
