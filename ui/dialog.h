#pragma once

#include "ui/form2.h"

#include <QPointer>
#include <QStringList>

namespace amiscan {

class MainModel;
struct MainControls;

// The main window's side of the dialog window, one dialog at a time: messages and
// confirmations, modal and placed over the main window, and the About box, modeless, which
// closes when the user returns to the main window.
class Dialogs final
{
    Q_DISABLE_COPY_MOVE(Dialogs)

public:
    Dialogs(const MainControls &controls, const MainModel &model);
    ~Dialogs();

    Form2 *dialog() const { return m_dialog; }
    void unload();
    // A message of two or three lines with "Ok"; returns once it is closed.
    void showMessage(const QStringList &lines);
    // The same message, returning at once with the dialog, which stays open until answered.
    Form2 *openMessage(const QStringList &lines);
    // A confirmation of two or three lines with "Yes" and "Cancel" (or the two captions given):
    // true after Yes only.
    bool confirm(const QStringList &lines, const QStringList &captions = {});
    void showAbout();

private:
    // A fresh dialog captioned "Amiscan", in place of whatever was open.
    Form2 *load();
    // Messages and confirmations wait for their answer unless told otherwise; the About box
    // never does.
    void show(bool wait);

    const MainControls &m_c;
    const MainModel &m_model;
    QPointer<Form2> m_dialog;
};

} // namespace amiscan
