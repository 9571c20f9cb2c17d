#pragma once
// Drives the program's modal dialogs from a test: the action runs inside the dialog's modal run,
// on the form's next modal dialog (on every one with `every`), whether it shows at once or some
// ticks later. A dialog the action leaves open fails the test and is closed, so no test can hang
// in the modal loop.
#include "ui/form1.h"
#include "ui/form2.h"
#include <QApplication>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <functional>

inline void whenModalDialogAppears(amiscan::Form1 &form,
                                   std::function<void(amiscan::Form2 *)> action, bool every = false)
{
    auto *poll = new QTimer(&form);
    QObject::connect(poll, &QTimer::timeout, &form, [poll, &form, action, every] {
        QPointer<amiscan::Form2> dialog = form.dialog();
        if (!dialog || QApplication::activeModalWidget() != dialog.data())
            return;
        if (!every) {
            poll->stop();
            poll->deleteLater();
        }
        action(dialog);
        if (dialog && dialog->isVisible()) {
            QTest::qFail("the dialog was left open", __FILE__, __LINE__);
            dialog->close();
        }
    });
    poll->start(5);
}
