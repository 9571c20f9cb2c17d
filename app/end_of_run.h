#pragma once

#include "platform/termination_signals.h"

#include <QObject>

namespace amiscan {

class Form1;
class MainModel;

// The ways out that do not pass through the main window: the signals a system sends a program
// it stops, the desktop session ending, and the display going away. Each saves the history and
// the settings as the Exit button does and ends the program.
class EndOfRun final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(EndOfRun)

public:
    EndOfRun(Form1 &form, MainModel &model, QObject *parent = nullptr);
    ~EndOfRun() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    Form1 &m_form;
    MainModel &m_model;
    TerminationSignals m_signals;
};

} // namespace amiscan
