// The dialog's own events: its buttons, the clicks that close the About box, and the web address.
#include "desktop/url_opener.h"
#include "ui/form2.h"
#include "ui/mouse_events.h"

#include <QLabel>
#include <QPushButton>
#include <QUrl>

namespace amiscan {

void Form2::connectEvents()
{
    // Closing always releases the dialog: the next use starts from a fresh one.
    setAttribute(Qt::WA_DeleteOnClose);
    // An open dialog never keeps the program running once the main window has closed.
    setAttribute(Qt::WA_QuitOnClose, false);

    connect(ButOk, &QPushButton::clicked, this, &Form2::unload);
    connect(ButCancel, &QPushButton::clicked, this, &Form2::unload);
    connect(ButYes, &QPushButton::clicked, this, [this] {
        ButFocus->setFocus();
        emit answeredYes();
        close();
    });

    // A click on the About box closes it; on a message it does nothing. Labels keep their clicks
    // to themselves, so that a click on the note never reaches the background.
    const auto closeAbout = [this] {
        if (isAboutBox())
            close();
    };
    onClick(this, closeAbout);
    for (QLabel *part : {Picture2, Label1, Label2, Label3}) {
        part->setAttribute(Qt::WA_NoMousePropagation);
        onClick(part, closeAbout);
    }
    Label4->setAttribute(Qt::WA_NoMousePropagation);
    LabURL->setAttribute(Qt::WA_NoMousePropagation);
    onClick(LabURL, [this] { openWebAddress(QUrl(LabURL->text())); });

    // Escape or the window's close box end the dialog like Cancel, and release it too.
    connect(this, &QDialog::finished, this, &QObject::deleteLater);
}

void Form2::unload()
{
    ButFocus->setFocus();
    close();
}

} // namespace amiscan
