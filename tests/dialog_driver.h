#pragma once

// Drives the program's modal dialogs from a test. Queue the action before the call that shows
// the dialog; it runs inside the dialog's modal run, where it can read the labels and click the
// buttons. A dialog the action leaves open is closed (and the test fails), so no test can hang in
// the modal loop.
#include "ui/form1.h"
#include "ui/form2.h"

#include <QApplication>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include <functional>

inline void whenModalDialogShown(amiscan::Form1 &form, std::function<void(amiscan::Form2 *)> action)
{
    QTimer::singleShot(0, &form, [&form, action] {
        QPointer<amiscan::Form2> dialog = form.dialog();
        if (!dialog || QApplication::activeModalWidget() != dialog.data()) {
            QTest::qFail("no modal dialog is shown", __FILE__, __LINE__);
            if (dialog)
                dialog->close();
            return;
        }
        action(dialog);
        if (dialog && dialog->isVisible()) {
            QTest::qFail("the dialog was left open", __FILE__, __LINE__);
            dialog->close();
        }
    });
}

// Runs the action on the next modal dialog of the form, whenever it appears. For dialogs shown
// some time later (a scan's failure message comes some ticks after the click), where an action
// queued for the next turn of the event loop would come too early.
inline void whenModalDialogAppears(amiscan::Form1 &form,
                                   std::function<void(amiscan::Form2 *)> action)
{
    auto *poll = new QTimer(&form);
    poll->setInterval(5);
    QObject::connect(poll, &QTimer::timeout, &form, [poll, &form, action] {
        QPointer<amiscan::Form2> dialog = form.dialog();
        if (!dialog || QApplication::activeModalWidget() != dialog.data())
            return;
        poll->deleteLater();
        poll->stop();
        action(dialog);
        if (dialog && dialog->isVisible()) {
            QTest::qFail("the dialog was left open", __FILE__, __LINE__);
            dialog->close();
        }
    });
    poll->start();
}
